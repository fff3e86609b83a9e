// CSettings: the "Configurações" page. Shows the machine's fax and paper
// settings (SettingsBlock), writes every change into the record at once,
// reads the machine when the page is created and on "Atualizar", and sends
// the record on "Aplicar". The mapping between page values and the record,
// the number limits and the arrow steps are in settings_values.h.
#pragma once

#include "commands/device_data.h"
#include "pages/restore_backup.h"
#include "pages/settings_values.h"

class CSettings : public CSettingsBackupPage {
 public:
  CSettings();

  // Reads the machine; on success shows the record, on failure reports
  // "Não responde" and keeps what the page shows.
  void OnRefresh();
  // The read that the page's creation makes; then the values to compare with.
  void FirstRead();
  // Set before the page's window is made while the machine is busy with
  // another request: the window's creation leaves FirstRead to the caller.
  bool m_readLater = false;
  // Keeps a backup of what the machine held, then sends the record;
  // reports "Não responde" on failure. True when the machine took it.
  bool OnApply();
  // Takes the controls' values and writes every field of the record.
  void StoreToRecord();
  // Limits the four numbers (focus leaving one of their edits).
  void ClampNumbers();
  // An arrow of the small scroll bar `scrollBarId` beside a number.
  void OnSpin(int scrollCode, int scrollBarId);
  // Shows the record after a settings-file load; no device traffic.
  void FillFromRecord();

  // The bytes "Aplicar" sends differ from what the page last read, sent or
  // first showed.
  bool HasUnappliedChanges() const;
  // The machine's values as last read or sent; nullptr before it answered.
  const SettingsBlock* MachineValues() const { return m_machineKnown ? &m_machine : nullptr; }

  SettingsValues m_values;

 protected:
  BOOL InitPage() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillLists();
  void ShowRecord(bool offShowsFifteen);
  void EnableMinutes();

  SettingsBlock m_machine{};
  bool m_machineKnown = false;
  SettingsBlock m_shown{};
};
