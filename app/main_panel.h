// CMainPanel: the program's only top-level window. A dialog with a menu, the
// exit and help buttons and the property sheet that holds the control pages.
// It decides the page set, places and sizes the sheet, gives the tabs their
// images, and routes exit, help, about and the file commands.
#pragma once

#include <string>

#include "widgets/dialog.h"
#include "widgets/hover_button.h"

class CMainPanel : public CDialog {
 public:
  CMainPanel();
  ~CMainPanel() override;  // the page set (pages, sheet, tab images), then the buttons

  // A wait job (link/trace.h) for the inquiry's wait: makes the window,
  // hidden, with every page, so that building it costs the user no time of
  // its own. Its title and the first page's read wait for Run: the machine
  // is busy with the inquiry, and another copy must not find a window that
  // has not shown.
  static void PrepareDuringWait(void* panel);
  // Once the machine has answered: gives the prepared window its title, its
  // first page's read, and shows it. False when there is no prepared window
  // or the answer asks for another page set (such a window is destroyed).
  bool FinishPrepared();
  // Runs the window modally once start-up is through: the prepared one when
  // it can be finished, else one made now.
  INT_PTR Run() { return FinishPrepared() ? RunModal() : DoModal(); }

  // The help engine at context 1 on the help file beside the program; with
  // no such file, or no engine (current Windows has none), the user's guide
  // beside the program in the user's browser.
  void OnHelp();
  // "<folder>\<program base name>.HLP".
  static std::string HelpFilePath();
  // "<folder>\guia.html".
  static std::string GuideFilePath();

  // The help engine's entry point; tests put a recorder here.
  using HelpFn = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
  static HelpFn helpEngine;
  // Opens a document with its registered program (the shell's); tests put a
  // recorder here.
  using OpenFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static OpenFn documentOpener;
  // The default opener: the shell's, its library loaded on first use.
  static HINSTANCE WINAPI OpenWithShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                        LPCSTR directory, INT show);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnDestroy() override;
  bool PreTranslateMessage(MSG* msg) override;
  // Enter in a page's field reaches this window as IDOK: it must not end the
  // program and lose what the user typed. Only exit, the menu, the close box
  // and Esc end it.
  void OnOK() override {}
  // The close box and Esc: asks first when there are unsent changes.
  void OnCancel() override;
  // Leaving with changes the machine has not got asks once whether to send
  // them (Sim / Não / Cancelar); false keeps the program open.
  bool ConfirmLeave();

  // File commands of the menu: phonebook files (40008, 40009,
  // files/phonebook_file.h) and settings files (40011, 40012,
  // files/settings_commands.h; greyed and idle with the firmware page alone).
  virtual void OnLoadPhonebook();
  virtual void OnSavePhonebook();
  virtual void OnLoadSettings();
  virtual void OnSaveSettings();

 private:
  void CreatePageSet();
  void DeletePageSet();
  void FitSheet();
  void PaintMinimized();
  static bool IsPageSwitchKey(const MSG& msg);
  bool SwitchPageByKey(const MSG& msg);

  HICON m_hIcon;
  // Made by PrepareDuringWait and not run yet.
  bool m_preparing = false;
  // The window has every page (else the firmware page alone).
  bool m_fullSet = false;
  CHoverButton m_exitButton;
  CHoverButton m_helpButton;
};
