// tonvert: the window front end on FLTK.
#include <cstdlib>
#include <memory>

#include "settings/settings.h"
#include "shell/application.h"
#include "shell/fltk/fltk_toolkit.h"
#include "shell/shell_platform.h"

int main() {
  // Command-line arguments are not read: the window is the whole interface.
  std::unique_ptr<tonvert::Registry> registry = tonvert::CreatePlatformRegistry();
  tonvert::FltkToolkit toolkit;
  return tonvert::RunApplication(toolkit, *registry,
                                 tonvert::LinuxShellPlatform(std::getenv("HOME")));
}
