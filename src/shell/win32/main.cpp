// tonvert.exe: the window front end on the Win32 controls.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "shell/application.h"
#include "shell/shell_platform.h"
#include "shell/win32/win32_toolkit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The manifest asks for the version 6 controls, which this registers.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  std::unique_ptr<tonvert::Registry> registry = tonvert::CreatePlatformRegistry();
  tonvert::Win32Toolkit toolkit;
  return tonvert::RunApplication(toolkit, *registry, tonvert::WindowsShellPlatform(),
                                 std::vector<std::string>(__argv + 1, __argv + __argc));
}
