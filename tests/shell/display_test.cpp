// The real window in a real X server (Xvfb): settings stored beforehand, one
// box clicked, Go! pressed, the output and the clipboard checked, the window
// closed as a window manager closes it, and the stored settings read back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "settings/registry_file.h"
#include "settings/settings.h"
#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

using namespace std::chrono_literals;

// A child process, ended when the test is done with it.
class Child {
 public:
  // Runs argv in `folder` with `env` added to this process's environment;
  // `keepFd` stays open in the child.
  Child(const std::vector<std::string>& argv, const std::string& folder,
        const std::vector<std::pair<std::string, std::string>>& env, int keepFd = -1) {
    pid_ = fork();
    if (pid_ != 0) return;
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");  // the settings file follows HOME
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    for (int fd = 3; fd < 256; ++fd)
      if (fd != keepFd) close(fd);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  ~Child() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  // The exit code, or -1 when the child has not ended within `limit`.
  int WaitExit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(50ms);
    }
    return -1;
  }
 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[256];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  pclose(pipe);
  return text;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(100ms);
  }
  return done();
}

TEST(WindowOnDisplay, ConvertsAndStoresItsSettingsWhenClosed) {
  TempDir root;
  const std::string home = root / "home";
  const std::string work = root / "work";
  std::filesystem::create_directories(home);
  std::filesystem::create_directories(work);

  Track t;
  t.Tempo(0, 500000).Program(0, 0, 0);
  for (int i = 0; i < 16; ++i) t.NoteOn(0, 0, 60 + i % 8, 100).NoteOff(24, 0, 60 + i % 8);
  t.End();
  WriteFile(work + "/song.mid", Smf(0, 48, {t}));
  WriteFile(work + "/instruments.ini",
            std::string("[0]\nMidiInstrument=Lead\nFTMacroVolume=-1 -1 0 : 15 12 9\n"));
  const std::string output = work + "/song.txt";

  // The paths as an earlier session stored them.
  const std::string settingsFile = SettingsFilePath(nullptr, home.c_str());
  {
    RegistryFile registry(settingsFile);
    Settings settings(registry);
    settings.OpenSettingsKey("FARROW_TONVERT");
    settings.WriteSetting("in", work + "/song.mid");
    settings.WriteSetting("out", output);
  }

  // Xvfb picks a free display and writes its number to the pipe.
  int displayPipe[2];
  ASSERT_EQ(pipe(displayPipe), 0);
  Child xvfb({"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-screen", "0",
              "640x760x24", "-nolisten", "tcp"},
             "", {}, displayPipe[1]);
  close(displayPipe[1]);
  std::string number;
  char c;
  while (read(displayPipe[0], &c, 1) == 1 && c != '\n') number += c;
  close(displayPipe[0]);
  ASSERT_FALSE(number.empty()) << "Xvfb did not start (is the xvfb package installed?)";
  const std::string display = ":" + number;
  const std::string x = "DISPLAY=" + display + " ";

  Child tonvert({TONVERT_GUI_BINARY}, work, {{"HOME", home}, {"DISPLAY", display}});
  std::string window;
  ASSERT_TRUE(WaitFor(
      [&] {
        window = Output(x + "xdotool search --name '^Quenby Tonvert' 2>/dev/null");
        window = window.substr(0, window.find('\n'));
        return !window.empty();
      },
      10s))
      << "no window appeared";

  // DPCM, MIDI channel 1 (box 64 of the mapper text), then Go!.
  ASSERT_EQ(std::system((x + "xdotool mousemove --window " + window +
                         " 315 230 click 1 sleep 0.2 mousemove --window " + window +
                         " 460 670 click 1")
                            .c_str()),
            0);
  EXPECT_TRUE(WaitFor(
      [&] { return Output(x + "xclip -selection clipboard -o 2>/dev/null") == output; }, 20s))
      << "the clipboard does not hold the output path";
  EXPECT_EQ(FtCheck(output), 0) << "the tracker would not import " << output;

  // The window manager's close request (WM_DELETE_WINDOW).
  ASSERT_EQ(std::system((x + "/usr/bin/python3 " TONVERT_SEND_CLOSE " " + window).c_str()), 0);
  EXPECT_EQ(tonvert.WaitExit(10s), 0);

  RegistryFile registry(settingsFile);
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  EXPECT_EQ(settings.ReadSetting("in", "?"), work + "/song.mid");
  EXPECT_EQ(settings.ReadSetting("out", "?"), output);
  EXPECT_EQ(settings.ReadSetting("rpp", "?"), "64");
  EXPECT_EQ(settings.ReadSetting("ticks", "?"), "36");
  const std::string mapper = settings.ReadSetting("mapper", "?");
  ASSERT_EQ(mapper.size(), 112u);
  EXPECT_EQ(mapper[64], '1') << "the clicked DPCM box";
  EXPECT_EQ(mapper.substr(0, 16), "1000010000100010");
}

}  // namespace
}  // namespace tonvert::test
