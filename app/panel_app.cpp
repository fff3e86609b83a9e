// Start-up and shut-down of the panel. The sequence is shared with rcpctl
// (startup.cpp, startup_win32.cpp); this file supplies the panel's side of
// it: the single-copy check, the boxes, the cursor and the main window.
#include "app/panel_app.h"

#include <optional>
#include <string>

#include "app/app_shell.h"
#include "app/main_panel.h"
#include "app/port_search.h"
#include "app/startup.h"
#include "app/startup_win32.h"
#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/trace.h"
#include "res/resource.h"
#include "widgets/resource_text.h"

namespace {

class Win32StartupUi : public StartupUi {
 public:
  void PortBusy() override {
    std::string text = LoadText(IDS_PORT_BUSY);
    std::string caption = LoadText(IDS_MODEL_SERIES);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
  }
  void BeginWait() override { m_wait.emplace(); }
  void EndWait() override { m_wait.reset(); }
  NoAnswerChoice AskNoAnswer() override {
    switch (ShowAppMessage(nullptr, IDS_NO_ANSWER, MB_ICONERROR | MB_ABORTRETRYIGNORE)) {
      case IDRETRY:
        return NoAnswerChoice::Retry;
      case IDIGNORE:
        return NoAnswerChoice::Ignore;
      default:
        return NoAnswerChoice::Abort;
    }
  }

 private:
  std::optional<CWaitCursor> m_wait;
};

}  // namespace

bool CPanelApp::Startup() {
  RemoveCurrentDirectoryFromDllSearch();

  std::string title = AppTitle();
  if (HWND running = FindWindowA(nullptr, title.c_str())) {
    if (IsIconic(running))
      ShowWindow(running, SW_RESTORE);
    else
      SetForegroundWindow(running);
    return false;
  }

  m_portType = ReadDriverPortType();
  Win32StartupUi ui;
  CMainPanel panel;
  SetWaitJob(&CMainPanel::PrepareDuringWait, &panel);
  const StartupResult result = StartUpMachine(ui, &DetectHostPlatform, &Mfp_Inquiry);
  SetWaitJob(nullptr, nullptr);
  if (result == StartupResult::PortBusy || result == StartupResult::Aborted) return false;

  panel.Run();
  return false;
}

void CPanelApp::Shutdown() {
  ShutDownMachine();
  SetAppMainWindow(nullptr);
}
