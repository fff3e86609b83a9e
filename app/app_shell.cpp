// Shared services of the panel's windows (see app_shell.h).
#include "app/app_shell.h"

#include <initializer_list>

#include "commands/device_data.h"
#include "res/resource.h"
#include "widgets/resource_text.h"

namespace {
HWND mainWindow = nullptr;
}  // namespace

HWND AppMainWindow() { return mainWindow; }
void SetAppMainWindow(HWND window) { mainWindow = window; }

std::string AppTitle() { return LoadText(inquiryAnswered ? IDS_APP_TITLE_ANSWERED : IDS_APP_TITLE); }

int ShowAppMessage(HWND owner, UINT textId, UINT type) {
  // LoadText hands out one shared buffer: keep the text before loading the title.
  std::string text = LoadText(textId);
  std::string title = AppTitle();
  return MessageBoxA(owner, text.c_str(), title.c_str(), type);
}

void* ShellFunction(const char* name) {
  static HMODULE shell = LoadLibraryA("shell32.dll");
  return shell ? reinterpret_cast<void*>(GetProcAddress(shell, name)) : nullptr;
}

int ReportLinkFailure(UINT textId) { return ShowAppMessage(mainWindow, textId, MB_ICONERROR); }

namespace {
void EnableMenuItems(std::initializer_list<UINT> ids, bool enable) {
  HMENU menu = mainWindow ? GetMenu(mainWindow) : nullptr;
  if (menu == nullptr) return;
  for (UINT id : ids) EnableMenuItem(menu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}
}  // namespace

void EnablePhonebookMenu(bool enable) {
  EnableMenuItems({ID_LOAD_PHONEBOOK, ID_SAVE_PHONEBOOK, ID_IMPORT_CONTACTS, ID_EXPORT_CONTACTS, ID_RESTORE_BACKUP},
                  enable);
}

void EnableRestoreMenu(bool enable) { EnableMenuItems({ID_RESTORE_BACKUP}, enable); }

CWaitCursor::CWaitCursor() : m_previous(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}

void CWaitCursor::Restore() {
  if (!m_shown) return;
  SetCursor(m_previous);
  m_shown = false;
}
