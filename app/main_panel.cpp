// The main window: page set, sheet placement and sizing, tab images, command
// routing and help.
#include "app/main_panel.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "files/phonebook_file.h"
#include "files/settings_commands.h"
#include "pages/advanced_page.h"
#include "pages/contacts_commands.h"
#include "pages/fw_up_page.h"
#include "pages/info_page.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "pages/restore_backup.h"
#include "pages/settings_page.h"
#include "pages/usage_history.h"
#include "res/resource.h"
#include "widgets/about_box.h"
#include "widgets/property_sheet.h"
#include "widgets/resource_text.h"

namespace {
// Windows posts this for F1 before it becomes WM_HELP.
constexpr UINT kKeyF1Message = 0x004D;
constexpr DWORD kHelpContext = 1;
// Blue marks the transparent pixels of the tab-image strip.
constexpr COLORREF kTabImageMask = 0x00FF0000;
constexpr int kTabImageWidth = 20;

template <typename T>
void DeleteAndClear(T*& object) {
  delete object;
  object = nullptr;
}
}  // namespace

CMainPanel::HelpFn CMainPanel::helpEngine = &WinHelpA;
CMainPanel::OpenFn CMainPanel::documentOpener = &CMainPanel::OpenWithShell;

HINSTANCE WINAPI CMainPanel::OpenWithShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                           LPCSTR directory, INT show) {
  auto open = reinterpret_cast<OpenFn>(ShellFunction("ShellExecuteA"));
  if (!open) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
  return open(owner, verb, file, parameters, directory, show);
}

CMainPanel::CMainPanel()
    : CDialog(IDD_MAINPANEL),
      m_hIcon(static_cast<HICON>(
          LoadImageA(ResourceInstance(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))) {}

CMainPanel::~CMainPanel() {
  DeletePageSet();
  m_exitButton.Detach();
  m_helpButton.Detach();
  if (m_hIcon) DestroyIcon(m_hIcon);
  if (AppMainWindow() == m_hWnd && m_hWnd != nullptr) SetAppMainWindow(nullptr);
}

BOOL CMainPanel::OnInitDialog() {
  CDialog::OnInitDialog();
  // Made ahead of time, the window stays disabled until it shows: a control
  // that took the focus meanwhile would make it the active window, unseen.
  if (m_preparing) EnableWindow(m_hWnd, FALSE);
  // Pages created below may report a failure at once; their boxes belong to
  // this window.
  SetAppMainWindow(m_hWnd);
  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  CenterWindow(m_hWnd);

  // Another copy of the program finds this window by its title.
  if (!m_preparing) SetWindowTextA(m_hWnd, AppTitle().c_str());

  m_exitButton.Attach(m_hWnd, IDC_EXIT);
  m_exitButton.SetButtonIcon(IDI_EXIT);
  m_exitButton.SetFlatLook(false, true);
  m_helpButton.Attach(m_hWnd, IDC_HELPBTN);
  m_helpButton.SetButtonIcon(IDI_HELPBTN);
  m_helpButton.SetFlatLook(false, true);

  CreatePageSet();
  // A window made ahead of time gets its focus from the dialog manager when
  // it shows and becomes active.
  return m_preparing ? FALSE : TRUE;
}

void CMainPanel::DeletePageSet() {
  // A modal run has destroyed every window by now; a modeless one (tests)
  // still has them, and a page window must not outlive its object.
  if (panelSheet) panelSheet->Destroy();
  DeleteAndClear(phonebookPage);
  DeleteAndClear(settingsPage);
  DeleteAndClear(fwUpPage);
  DeleteAndClear(infoPage);
  DeleteAndClear(advancedPage);
  DeleteAndClear(panelSheet);  // with it the tab image list
}

void CMainPanel::CreatePageSet() {
  DeletePageSet();  // a second window of the same object
  panelSheet = new CPropertySheet;

  phonebookPage = new CPhonebook;
  settingsPage = new CSettings;
  fwUpPage = new CFwUp;
  infoPage = new CInfo;
  advancedPage = new CAdvanced;

  // Made ahead of the answer, the window bets on the usual one: every page.
  m_fullSet = m_preparing || fullPanel;
  settingsPage->m_readLater = m_preparing;
  // Without the settings pages there are no settings to load or save: a
  // save would write zeros.
  const UINT settingsFiles = MF_BYCOMMAND | (m_fullSet ? MF_ENABLED : MF_GRAYED);
  EnableMenuItem(GetMenu(m_hWnd), ID_LOAD_SETTINGS, settingsFiles);
  EnableMenuItem(GetMenu(m_hWnd), ID_SAVE_SETTINGS, settingsFiles);
  panelSheet->EnableStackedTabs(false);
  if (m_fullSet) {
    panelSheet->AddPage(*settingsPage);
    panelSheet->AddPage(*advancedPage);
    panelSheet->AddPage(*phonebookPage);
    panelSheet->AddPage(*infoPage);
  }
  panelSheet->AddPage(*fwUpPage);

  if (!panelSheet->Create(m_hWnd, WS_CHILD | WS_VISIBLE, 0)) return;
  HWND sheet = panelSheet->GetHwnd();
  // Tab moves between the sheet's controls and this window's buttons.
  SetWindowLongPtrA(sheet, GWL_EXSTYLE, GetWindowLongPtrA(sheet, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  SetWindowLongPtrA(sheet, GWL_STYLE, GetWindowLongPtrA(sheet, GWL_STYLE) | WS_TABSTOP);

  panelSheet->SetTabImages(IDB_TABS, kTabImageWidth, kTabImageMask);
  // The sheet made the first page active as it was created.
  FitSheet();
}

void CMainPanel::PrepareDuringWait(void* panel) {
  auto* self = static_cast<CMainPanel*>(panel);
  self->m_preparing = true;
  if (!self->Create()) self->m_preparing = false;
}

bool CMainPanel::FinishPrepared() {
  if (m_hWnd && m_preparing && m_fullSet == fullPanel) {
    m_preparing = false;
    SetWindowTextA(m_hWnd, AppTitle().c_str());
    if (settingsPage->GetHwnd()) settingsPage->FirstRead();
    EnableWindow(m_hWnd, TRUE);
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    return true;
  }
  // No answer, or another page set: made again, as if never prepared.
  if (m_hWnd) ::DestroyWindow(m_hWnd);
  m_preparing = false;
  return false;
}

void CMainPanel::FitSheet() {
  HWND sheet = panelSheet->GetHwnd();
  int captionHeight = GetSystemMetrics(SM_CYCAPTION);
  int menuHeight = GetSystemMetrics(SM_CYMENU);

  HDC dc = GetDC(m_hWnd);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, oldFont);
  ReleaseDC(m_hWnd, dc);
  int fontHeight = metrics.tmHeight;

  RECT client;
  GetClientRect(sheet, &client);
  int width = client.right - client.left;
  int height = client.bottom - client.top;
  MoveWindow(sheet, 10, 10, width + 20, height, TRUE);
  SetWindowPos(m_hWnd, nullptr, 0, 0, width + 30, 6 * fontHeight + height + captionHeight + menuHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CMainPanel::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case ID_APP_EXIT_MENU:
    case IDC_EXIT:
      if (ConfirmLeave()) EndDialog(IDOK);
      return true;
    case IDC_HELPBTN:
    case ID_HELP_STANDARD:
    case ID_HELP_CONTENTS:
      OnHelp();
      return true;
    case ID_LOAD_PHONEBOOK:
      OnLoadPhonebook();
      return true;
    case ID_SAVE_PHONEBOOK:
      OnSavePhonebook();
      return true;
    case ID_IMPORT_CONTACTS:
      ::OnImportContacts();
      return true;
    case ID_EXPORT_CONTACTS:
      ::OnExportContacts();
      return true;
    case ID_RESTORE_BACKUP:
      ::OnRestoreBackup();
      return true;
    case ID_USAGE_HISTORY: {
      CUsageHistory history(m_hWnd);
      history.DoModal();
      return true;
    }
    case ID_LOAD_SETTINGS:
      if (m_fullSet) OnLoadSettings();
      return true;
    case ID_SAVE_SETTINGS:
      if (m_fullSet) OnSaveSettings();
      return true;
    case ID_ABOUT: {
      CAboutBox about(m_hWnd);
      about.DoModal();
      return true;
    }
    default:
      return false;
  }
}

void CMainPanel::OnCancel() {
  if (ConfirmLeave()) CDialog::OnCancel();
}

bool CMainPanel::ConfirmLeave() {
  const bool phonebook = phonebookPage != nullptr && phonebookPage->GetHwnd() != nullptr &&
                         phonebookPage->HasUnsentChanges();
  const bool settings = settingsPage != nullptr && settingsPage->HasUnappliedChanges();
  const bool advanced = advancedPage != nullptr && advancedPage->HasUnappliedChanges();
  if (!phonebook && !settings && !advanced) return true;
  switch (ShowAppMessage(m_hWnd, IDS_UNSENT_CHANGES, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      // A write that fails or is stored wrongly has told the user why; the
      // program stays open so that nothing is lost.
      if (settings && !settingsPage->OnApply()) return false;
      if (advanced && !advancedPage->OnApply()) return false;
      return !phonebook || phonebookPage->WriteToMachine();
    case IDNO:
      return true;
    default:
      return false;
  }
}

void CMainPanel::OnLoadPhonebook() { ::OnLoadPhonebook(); }
void CMainPanel::OnSavePhonebook() { ::OnSavePhonebook(); }
void CMainPanel::OnLoadSettings() { ::OnLoadSettings(); }
void CMainPanel::OnSaveSettings() { ::OnSaveSettings(); }

std::string CMainPanel::HelpFilePath() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, length < MAX_PATH ? length : MAX_PATH);
  size_t slash = file.find_last_of("\\/");
  size_t dot = file.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.erase(dot);
  return file + ".HLP";
}

std::string CMainPanel::GuideFilePath() {
  std::string file = HelpFilePath();
  size_t slash = file.find_last_of("\\/");
  return file.substr(0, slash == std::string::npos ? 0 : slash + 1) + "guia.html";
}

void CMainPanel::OnHelp() {
  // Asking the engine for a file that is not there would make it complain in
  // a box of its own; the engine itself is gone from current Windows
  // (WinHelp then fails). Either way the guide stands in.
  const std::string helpFile = HelpFilePath();
  if (GetFileAttributesA(helpFile.c_str()) != INVALID_FILE_ATTRIBUTES &&
      helpEngine(m_hWnd, helpFile.c_str(), HELP_CONTEXT, kHelpContext)) {
    return;
  }
  HINSTANCE opened = documentOpener(m_hWnd, "open", GuideFilePath().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // Above 32 means success; with no guide either, only the refusal's beep.
  if (reinterpret_cast<INT_PTR>(opened) <= 32) MessageBeep(MB_OK);
}

bool CMainPanel::PreTranslateMessage(MSG* msg) {
  // F1 anywhere in the window, pages included; the key goes on as usual.
  if (msg->message == kKeyF1Message) OnHelp();
  if (IsPageSwitchKey(*msg)) return SwitchPageByKey(*msg);
  return false;
}

bool CMainPanel::IsPageSwitchKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
  return msg.wParam == VK_TAB || msg.wParam == VK_NEXT || msg.wParam == VK_PRIOR;
}

bool CMainPanel::SwitchPageByKey(const MSG& msg) {
  // An embedded sheet does not see the keys of its parent's modal loop: hand
  // it Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp from anywhere in
  // this window, as the sheet's own dialog-message handling expects them.
  HWND sheet = panelSheet ? panelSheet->GetHwnd() : nullptr;
  if (!sheet || (msg.hwnd != m_hWnd && !IsChild(m_hWnd, msg.hwnd))) return false;
  MSG forSheet = msg;
  if (forSheet.hwnd != sheet && !IsChild(sheet, forSheet.hwnd)) forSheet.hwnd = sheet;
  return SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&forSheet)) != FALSE;
}

void CMainPanel::OnDestroy() {
  // A window that never showed has opened no help.
  if (!m_preparing) helpEngine(m_hWnd, HelpFilePath().c_str(), HELP_QUIT, 0);
  // Boxes shown from now on have no window to belong to.
  if (AppMainWindow() == m_hWnd) SetAppMainWindow(nullptr);
}

void CMainPanel::PaintMinimized() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(m_hWnd, &client);
  int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(m_hWnd, &paint);
}

INT_PTR CMainPanel::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      if (!IsIconic(m_hWnd)) return FALSE;
      PaintMinimized();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(m_hIcon);
    default:
      return FALSE;
  }
}
