// What every window of the panel shares with the application object: the
// main window, the application title, the device-failure box, the phonebook
// menu switch and the wait cursor.
#pragma once

#include <string>

#include <windows.h>

// The application's main window (the CMainPanel dialog), or null.
HWND AppMainWindow();
void SetAppMainWindow(HWND window);

// "Dalvenor": string 108 once the machine answered the inquiry, else string 1.
std::string AppTitle();

// Message box with string `textId`, the application title as caption and
// `type` (MB_...) buttons and icon. Returns the box's result.
int ShowAppMessage(HWND owner, UINT textId, UINT type);

// Error box with string `textId`, owned by the main window, the application
// title as caption, OK only. Returns the box's result.
int ReportLinkFailure(UINT textId);

// A function of the shell library, which is loaded on first use: it is
// large, only the guide and the backups need it, and loading it at start
// would cost every run time and memory. Null when it cannot be had.
void* ShellFunction(const char* name);

// Enables (true) or greys (false) the phonebook file commands of the main
// window's menu.
void EnablePhonebookMenu(bool enable);
// Enables or greys "Restaurar cópia de segurança..." alone: the settings
// pages have backups too.
void EnableRestoreMenu(bool enable);

// The hourglass while the panel talks to the machine (the window takes no
// input meanwhile). Restore() puts the previous cursor back early; otherwise
// the destructor does.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor() { Restore(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  void Restore();

 private:
  HCURSOR m_previous;
  bool m_shown = true;
};
