// tonvert: the window front end on FLTK.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "shell/application.h"
#include "shell/fltk/fltk_toolkit.h"
#include "shell/shell_platform.h"

int main(int argc, char* argv[]) {
  std::unique_ptr<tonvert::Registry> registry = tonvert::CreatePlatformRegistry();
  tonvert::FltkToolkit toolkit;
  return tonvert::RunApplication(toolkit, *registry,
                                 tonvert::LinuxShellPlatform(std::getenv("HOME")),
                                 std::vector<std::string>(argv + 1, argv + argc));
}
