// Start-up and shut-down of the panel. The decisions (which road, which
// fallback, what to trace) are portable and live in port_search.cpp and
// shared_port.cpp; this file supplies the Windows side: windows, boxes,
// cursor, version and profile.
#include "app/panel_app.h"

#include <optional>
#include <string>

#include "app/app_shell.h"
#include "app/main_panel.h"
#include "app/port_search.h"
#include "app/shared_port.h"
#include "commands/commands.h"
#include "commands/device_data.h"
#include "res/resource.h"
#include "widgets/resource_text.h"

namespace {

class Win32IdentifyUi : public IdentifyUi {
 public:
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

void CPanelApp::RemoveCurrentDirectoryFromDllSearch() {
  // Looked up at run time: Windows before XP SP1 lacks it, and the program
  // must still start there.
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDllDirectory =
      kernel ? reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA"))) : nullptr;
  if (setDllDirectory) setDllDirectory("");
}

HostPlatform CPanelApp::DetectHostPlatform() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;  // 148
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  bool ok = GetVersionExA(&version) != FALSE;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return HostPlatformFrom(ok, version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

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

  ClearDeviceData();

  if (!AcquireSharedPort()) {
    std::string text = LoadText(IDS_PORT_BUSY);
    std::string caption = LoadText(IDS_MODEL_SERIES);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
    return false;
  }

  DeviceLink::hostPlatform = DetectHostPlatform();
  m_portType = PortTypeFromProfile(
      static_cast<int>(GetPrivateProfileIntA("PELORA DRIVER", "PortType", 1, "PELORA.INI")));

  Win32IdentifyUi ui;
  switch (SearchAndIdentify(ui, &Mfp_Inquiry)) {
    case IdentifyResult::Aborted:
      return false;
    case IdentifyResult::Answered:
      speedDialCount = kSpeedDialEntries;
      oneTouchCount = 0;
      // Without a table the phonebook has no entries rather than a null one.
      if (!CreatePhonebookTable()) speedDialCount = 0;
      break;
    case IdentifyResult::Ignored:
      break;
  }

  CMainPanel panel;
  panel.DoModal();
  return false;
}

void CPanelApp::Shutdown() {
  ReleaseSharedPort();
  FreePhonebookTable();
  SetAppMainWindow(nullptr);
}
