// Entry point of rcpanel.exe: common controls, then the application object.
#include <windows.h>
#include <commctrl.h>

#include "app/panel_app.h"
#include "history/history.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  KeepEveryReading();
  CPanelApp app;
  app.Startup();
  app.Shutdown();
  return 0;
}
