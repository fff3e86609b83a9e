// CFwUp: the "Atualização do firmware" page. Shows the connected machine's
// model and versions, lets the user choose a firmware image ("$IMG" files
// only) and sends it to the machine with a progress bar, a percentage and a
// running byte count. The decisions live in firmware/fw_transfer.*; this is
// the window that shows them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/app_shell.h"
#include "firmware/fw_up_view.h"
#include "widgets/control.h"
#include "widgets/property_page.h"

// A progress bar of a dialog, bound by subclassing like any control object.
class CProgressBar : public CControl {
 public:
  void SetRange(int low, int high);
  void SetPos(int position);
  int GetPos() const;
};

class CFwUp : public CPropertyPage, private FwUpView {
 public:
  CFwUp();

  // Reads the machine's system information and shows four of its fields.
  void OnRefresh();
  // Lets the user choose an image, shows its size and checks its signature.
  void OnBrowse();
  // Sends the chosen image over the road start-up chose.
  void OnUpdate();
  void OnUpdate4NtLpt();
  void OnUpdateWin95Lpt();

  // An update, refresh or choice is running: the page takes no command.
  bool IsBusy() const { return m_busy; }

  CProgressBar m_progress;
  std::string m_strEmulation1;
  std::string m_strEmulation2;
  std::string m_strFileName;
  std::string m_strFileSize;
  std::string m_strFwVersion;
  std::string m_strMessage;
  std::string m_strModelName;
  std::string m_strPercent;

 protected:
  BOOL InitPage() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnKillActive() override;

 private:
  // FwUpView
  std::string& FileName() override { return m_strFileName; }
  std::string& FileSize() override { return m_strFileSize; }
  std::string& Message() override { return m_strMessage; }
  std::string& Percent() override { return m_strPercent; }
  void SetProgressRange(int low, int high) override { m_progress.SetRange(low, high); }
  void SetProgressPos(int position) override { m_progress.SetPos(position); }
  void EnableUpdate(bool enable) override;
  void Redisplay() override;
  void ShowMessageNow(const std::string& text) override;
  void ShowWaitCursor() override { m_wait.emplace(); }
  void RestoreCursor() override { m_wait.reset(); }
  void Pause(uint32_t ms) override;
  void ShowBox(const std::string& text, const std::string& caption) override;
  void ShowWarningBox(const std::string& text, const std::string& caption) override;
  // The four machine fields from the system-information record.
  void MachineInfoRead() override;
  std::string Text(unsigned id) override;

  // Paints what needs it and lets other programs' messages through, while
  // keyboard and mouse input is dropped.
  void KeepPainted() override;

  std::optional<CWaitCursor> m_wait;
  bool m_busy = false;
};
