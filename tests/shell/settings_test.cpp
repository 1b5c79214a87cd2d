// The Linux settings file: the cases of settings_cases.txt, each a folder set
// up, the settings read and written, and what the folder holds afterwards.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "fake_toolkit.h"
#include "settings/registry_file.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

struct SettingsCase {
  TempDir dir;
  std::string store = dir / "tonvert.reg";

  std::string Path(const std::string& name) { return name[0] == '/' ? name : dir / name; }
  // Through the settings, as the window does: the key opened, then NAME read or, with TEXT, written.
  std::string Setting(const std::string& name, const std::string& text, bool write = false) {
    RegistryFile registry(store);
    Settings settings(registry);
    settings.OpenSettingsKey("FARROW_TONVERT");
    return write ? settings.WriteSetting(name, text), "" : settings.ReadSetting(name, text);
  }

  // Does one line: "" when it gives what it must, else why not.
  std::string Do(const Words& w) {
    const std::string &op = w[0], a = w.size() > 1 ? w[1] : "", b = w.size() > 2 ? w[2] : "", c = w.size() > 3 ? w[3] : "";
    RegistryFile registry(store);
    struct stat info;
    std::string got;
    if (op == "file") WriteFile(Path(a), b);
    else if (op == "link") std::filesystem::create_symlink(Path(b), Path(a));
    else if (op == "fifo") mkfifo(Path(a).c_str(), 0644);
    else if (op == "mode") chmod(Path(a).c_str(), std::stoi(b, nullptr, 8));
    else if (op == "device") mknod(Path(a).c_str(), S_IFCHR | 0666, makedev(1, 3));  // a null device
    else if (op == "store") store = a == "-" ? "" : Path(a);
    else if (op == "read") got = Setting(a, b);
    else if (op == "write") Setting(a, b, true);
    else if (op == "key") got = registry.CreateRegistryKey(a) ? "1" : "0";
    else if (op == "get") got = registry.ReadRegistryValue(a, b);
    else if (op == "set") got = registry.WriteRegistryValue(a, b, c) ? "1" : "0";
    else if (op == "is") got = ReadFile(Path(a));
    else if (op == "kind") got = lstat(Path(a).c_str(), &info) != 0 ? "none" : S_ISLNK(info.st_mode) ? "link"
                                 : S_ISCHR(info.st_mode) ? "device" : S_ISREG(info.st_mode) ? "file" : "other";
    else if (op == "ls")
      for (const auto& entry : std::filesystem::directory_iterator(dir.path())) got += (got.empty() ? "" : " ") + entry.path().filename().string();
    else if (op == "where") got = SettingsFilePath(a == "-" ? nullptr : a.c_str(), b == "-" ? nullptr : b.c_str());
    else if (op == "child") {  // the rest in a child with 10 s: as nobody, with a file size limit, or "as is"
      const pid_t pid = fork();
      if (pid == 0) {
        alarm(10);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        const bool ready = a == "nobody" ? setgid(65534) == 0 && setuid(65534) == 0
                           : a != "fsize" || setrlimit(RLIMIT_FSIZE, &limit) == 0;
        const auto last = std::find(w.rbegin(), w.rend(), "=>").base() - 1;  // the child's own "=> ok"
        _exit(ready && Do(Words(w.begin() + 2, last)).empty() ? 0 : 1);
      }
      int status = 0;
      got = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "ok" : "failed";
    } else return "unknown op " + op;
    return Mismatch(w, got);
  }
};

TEST(Settings, Cases) {
  for (Case& c : ReadCases("settings_cases.txt")) {
    SettingsCase run;
    for (const Words& line : c.second) EXPECT_EQ(run.Do(line), "") << c.first;
  }
}

}  // namespace
}  // namespace tonvert::test
