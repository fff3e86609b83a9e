// The firmware update page: its values and controls, the refresh, the
// browse and the update, whose long pauses keep the window painted.
#include "pages/fw_up_page.h"

#include <commctrl.h>

#include <algorithm>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "files/choose_file.h"
#include "firmware/fw_transfer.h"
#include "link/os.h"
#include "link/trace.h"
#include "pages/info_page.h"
#include "res/resource.h"
#include "widgets/resource_text.h"

namespace {

// Longest stretch of a pause without a look at the message queue: paint
// requests and other programs' questions are answered at least this often.
constexpr uint32_t kPaintSliceMs = 25;

// Guards against a window that never validates its update region.
constexpr int kMaxPaintsPerLook = 200;

// Sets a flag for the length of a scope.
class BusyScope {
 public:
  explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
  ~BusyScope() { m_flag = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& m_flag;
};

}  // namespace

void CProgressBar::SetRange(int low, int high) {
  ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}
void CProgressBar::SetPos(int position) { ::SendMessageA(m_hWnd, PBM_SETPOS, position, 0); }
int CProgressBar::GetPos() const { return static_cast<int>(::SendMessageA(m_hWnd, PBM_GETPOS, 0, 0)); }

CFwUp::CFwUp() : CPropertyPage(IDD_FWUP), m_strMessage(LoadText(IDS_FW_SELECT_FILE)) {
  BindControl(IDC_FW_PROGRESS, m_progress);
  BindText(IDC_FW_EMULATION1, m_strEmulation1);
  BindText(IDC_FW_EMULATION2, m_strEmulation2);
  BindText(IDC_FW_FILENAME, m_strFileName);
  BindText(IDC_FW_FILESIZE, m_strFileSize);
  BindText(IDC_FW_VERSION, m_strFwVersion);
  BindText(IDC_FW_MESSAGE, m_strMessage);
  BindText(IDC_FW_MODEL, m_strModelName);
  BindText(IDC_FW_PERCENT, m_strPercent);
}

BOOL CFwUp::InitPage() {
  CPropertyPage::InitPage();  // replaces the template's placeholders with the values
  OnRefresh();
  return TRUE;
}

bool CFwUp::OnCommand(WORD id, WORD code, HWND control) {
  if (code != BN_CLICKED) return false;
  if (id != IDC_REFRESH && id != IDC_FW_BROWSE && id != IDC_FW_UPDATE) return false;
  // A click that waited in the queue while the page worked is not acted on.
  if (m_busy) return true;
  BusyScope busy(m_busy);
  if (id == IDC_REFRESH)
    OnRefresh();
  else if (id == IDC_FW_BROWSE)
    OnBrowse();
  else
    OnUpdate();
  return true;
}

bool CFwUp::OnKillActive() { return !m_busy && CPropertyPage::OnKillActive(); }

void CFwUp::OnRefresh() {
  if (ReadSystemInfoForPage()) MachineInfoRead();
}

void CFwUp::MachineInfoRead() {
  m_strModelName = systemInfo.modelName;
  m_strEmulation1 = systemInfo.emulation1Version;
  m_strEmulation2 = systemInfo.emulation2Version;
  m_strFwVersion = systemInfo.firmwareVersion;
  ShowValues();
}

void CFwUp::OnBrowse() {
  std::string path;
  if (!ChooseFile(FileDialogMode::Open, nullptr, 0, kAllFilesFilter, nullptr, path)) return;
  FwUpChooseImage(*this, path);
}

// Every update from the page says afterwards which version the machine runs,
// compared with the version the page read when shown or refreshed: asking
// again would add a request to the update's own.
void CFwUp::OnUpdate() {
  FwUpTransfer transfer(*this);
  transfer.CheckApplied(m_strFwVersion);
  transfer.OnUpdate();
}
void CFwUp::OnUpdate4NtLpt() {
  FwUpTransfer transfer(*this);
  transfer.CheckApplied(m_strFwVersion);
  transfer.OnUpdate4NtLpt();
}
void CFwUp::OnUpdateWin95Lpt() {
  FwUpTransfer transfer(*this);
  transfer.CheckApplied(m_strFwVersion);
  transfer.OnUpdateWin95Lpt();
}

void CFwUp::EnableUpdate(bool enable) {
  HWND button = GetItem(IDC_FW_UPDATE);
  // A disabled button cannot keep the keyboard: it goes to "Procurar...",
  // the next step after a completed update.
  if (!enable && button != nullptr && ::GetFocus() == button) ::SetFocus(GetItem(IDC_FW_BROWSE));
  ::EnableWindow(button, enable ? TRUE : FALSE);
}

void CFwUp::Redisplay() {
  ShowValues();
  // Inside an update the page does not return to the message loop for a
  // while: paint now. Outside one the loop does it.
  if (m_wait) KeepPainted();
}

void CFwUp::ShowMessageNow(const std::string& text) {
  ::SetDlgItemTextA(m_hWnd, IDC_FW_MESSAGE, text.c_str());
  KeepPainted();
}

void CFwUp::Pause(uint32_t ms) {
  Os& os = TheOs();
  const uint32_t start = os.TickCount();
  for (;;) {
    KeepPainted();
    const uint32_t elapsed = os.TickCount() - start;
    if (elapsed >= ms) return;
    os.SleepMs(std::min(ms - elapsed, kPaintSliceMs));
  }
}

void CFwUp::ShowBox(const std::string& text, const std::string& caption) {
  HWND owner = AppMainWindow() ? AppMainWindow() : GetMainWindow();
  ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK);
}

void CFwUp::ShowWarningBox(const std::string& text, const std::string& caption) {
  HWND owner = AppMainWindow() ? AppMainWindow() : GetMainWindow();
  ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

std::string CFwUp::Text(unsigned id) { return LoadText(id); }

void CFwUp::KeepPainted() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (::PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  while (::PeekMessageA(&msg, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
  }
  for (int i = 0; i < kMaxPaintsPerLook && ::PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
    ::DispatchMessageA(&msg);
  // Dropping mouse input lets the window under it choose its cursor again.
  if (m_wait) ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
}
