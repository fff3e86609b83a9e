// What the firmware update needs from its page: the page's text values, the
// progress bar, the Update button, the cursor, the pauses and the boxes. The
// firmware page implements it over its window; tests implement it over plain
// records, so that the whole update runs natively on a virtual clock.
#pragma once

#include <cstdint>
#include <string>

class FwUpView {
 public:
  virtual ~FwUpView() = default;

  // The page's values (shown in their controls by Redisplay).
  virtual std::string& FileName() = 0;  // full path of the chosen image
  virtual std::string& FileSize() = 0;
  virtual std::string& Message() = 0;
  virtual std::string& Percent() = 0;

  // The progress bar: PBM_SETRANGE and PBM_SETPOS.
  virtual void SetProgressRange(int low, int high) = 0;
  virtual void SetProgressPos(int position) = 0;
  virtual void EnableUpdate(bool enable) = 0;

  // Every text value into its control.
  virtual void Redisplay() = 0;
  // `text` straight into the message control; the values stay as they are.
  virtual void ShowMessageNow(const std::string& text) = 0;

  virtual void ShowWaitCursor() = 0;
  virtual void RestoreCursor() = 0;

  // A plain sleep of `ms` as far as the machine is concerned. The page keeps
  // painting meanwhile and takes no input.
  virtual void Pause(uint32_t ms) = 0;
  // Called now and then inside the waits of the commands that check the
  // machine after its restart: the same painting, still without input.
  virtual void KeepPainted() {}

  // A modal box with an OK button and no icon.
  virtual void ShowBox(const std::string& text, const std::string& caption) = 0;
  // The same with the warning icon: an update that cannot be confirmed.
  virtual void ShowWarningBox(const std::string& text, const std::string& caption) { ShowBox(text, caption); }
  // The machine's system information was read again (the page shows it).
  virtual void MachineInfoRead() {}

  // String `id` of the panel's string table.
  virtual std::string Text(unsigned id) = 0;
};
