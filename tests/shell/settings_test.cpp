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

using Words = std::vector<std::string>;

struct SettingsCase {
  TempDir dir;
  std::string store = dir / "tonvert.reg";

  std::string Path(const std::string& name) { return name[0] == '/' ? name : dir / name; }
  std::string Read(const std::string& name, const std::string& defaultText) {
    RegistryFile registry(store);
    Settings settings(registry);
    settings.OpenSettingsKey("FARROW_TONVERT");
    return settings.ReadSetting(name, defaultText);
  }
  std::string Kind(const std::string& name) {
    struct stat info;
    if (lstat(Path(name).c_str(), &info) != 0) return "none";
    return S_ISLNK(info.st_mode) ? "link" : S_ISCHR(info.st_mode) ? "device" : S_ISREG(info.st_mode) ? "file" : "other";
  }

  // Does one line; false, with why, when it does not give what it must.
  bool Do(const Words& w, std::string& why) {
    const std::string& op = w[0];
    const std::string a = w.size() > 1 ? w[1] : "", b = w.size() > 2 ? w[2] : "", c = w.size() > 3 ? w[3] : "";
    RegistryFile registry(store);
    std::string got;
    if (op == "file") WriteFile(Path(a), b);
    else if (op == "link") std::filesystem::create_symlink(Path(b), Path(a));
    else if (op == "fifo") mkfifo(Path(a).c_str(), 0644);
    else if (op == "mode") chmod(Path(a).c_str(), std::stoi(b, nullptr, 8));
    else if (op == "device") mknod(Path(a).c_str(), S_IFCHR | 0666, makedev(1, 3));  // a null device
    else if (op == "store") store = a == "-" ? "" : Path(a);
    else if (op == "read") got = Read(a, b);
    else if (op == "open") got = Read("", "");
    else if (op == "write") {
      Settings settings(registry);
      settings.OpenSettingsKey("FARROW_TONVERT");
      settings.WriteSetting(a, b);
    } else if (op == "key") got = registry.CreateRegistryKey(a) ? "1" : "0";
    else if (op == "get") got = registry.ReadRegistryValue(a, b);
    else if (op == "set") got = registry.WriteRegistryValue(a, b, c) ? "1" : "0";
    else if (op == "is") got = ReadFile(Path(a));
    else if (op == "kind") got = Kind(a);
    else if (op == "ls") {
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        got += (got.empty() ? "" : " ") + entry.path().filename().string();
    } else if (op == "where") {
      got = SettingsFilePath(a == "-" ? nullptr : a.c_str(), b == "-" ? nullptr : b.c_str());
    } else if (op == "child") {  // the rest in a child with 10 s: as nobody, with a file size limit, or "as is"
      const pid_t pid = fork();
      if (pid == 0) {
        alarm(10);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        const bool ready = a == "nobody" ? setgid(65534) == 0 && setuid(65534) == 0
                           : a != "fsize" || setrlimit(RLIMIT_FSIZE, &limit) == 0;
        const auto last = std::find(w.rbegin(), w.rend(), "=>").base() - 1;  // the child's own "=> ok"
        _exit(ready && Do(Words(w.begin() + 2, last), why) ? 0 : 1);
      }
      int status = 0;
      got = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "ok" : "failed";
    } else if (op == "cuts") {  // every cut of the file: each value reads whole or as "-", and a write lands
      const std::string whole = ReadFile(store);
      std::map<std::string, std::string> full;
      for (size_t k = 1; k < w.size(); ++k) full[w[k]] = Read(w[k], "-");
      for (size_t length = 0; length < whole.size() && why.empty(); ++length) {
        WriteFile(store, whole.substr(0, length));
        for (const auto& [name, text] : full)
          if (Read(name, "-") != text && Read(name, "-") != "-") why = name + " cut at " + std::to_string(length);
        Settings settings(registry);
        settings.OpenSettingsKey("FARROW_TONVERT");
        settings.WriteSetting("rpp", "12");
        if (Read("rpp", "") != "12") why = "rpp not written at " + std::to_string(length);
      }
      return why.empty();
    } else {
      why = "unknown op " + op;
      return false;
    }
    return Expect(w, got, why);
  }
};

TEST(Settings, Cases) {
  for (Case& c : ReadCases("settings_cases.txt")) {
    SettingsCase run;
    for (const Words& line : c.lines) {
      std::string why;
      EXPECT_TRUE(run.Do(line, why)) << c.name << ": " << why;
    }
  }
}

}  // namespace
}  // namespace tonvert::test
