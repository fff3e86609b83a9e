// CAdvanced: the "Avançado" page. Shows and edits the writable fields of the
// SystemInfo record (terminal ID, customer data, service and serial numbers,
// prefix dial, receive mode, sounds, language and the like), reads the
// machine when the page is first shown and on "Atualizar", and sends the
// fields on "Aplicar". The seven texts are filtering edits; a character the
// machine cannot keep (a code of 128 or more) is taken out again at once.
#pragma once

#include <windows.h>

#include "pages/restore_backup.h"
#include "pages/settings_values.h"
#include "widgets/filter_edit.h"

// Set when the page's window is first created; never cleared. The settings
// file's save reads the machine's advanced values only while it is clear.
extern bool advancedPageOpen;
// Set by a settings-file load while the page was not open yet: its first
// refresh then shows the loaded values instead of reading the machine.
extern bool advancedFromFile;

class CAdvanced : public CSettingsBackupPage {
 public:
  CAdvanced();

  // Reads the machine (a second time when the first read fails), or takes
  // the values a file load left; then shows the record. "Não responde" once
  // when both reads fail.
  void OnRefresh();
  // Stores the page values, keeps a backup of what the machine held, then
  // sends the writable fields. True when the machine took them.
  bool OnApply();
  // Takes the controls' values and writes the eighteen writable fields.
  void StoreToRecord();
  // Shows the record; no device traffic. The record's texts lose their
  // trailing blanks.
  void FillFromRecord();
  // A text change in edit `editId`.
  void OnEditChange(int editId);

  // The fields Aplicar would send differ from what the page last read, sent
  // or first showed, or the page shows a loaded file's values not yet sent.
  bool HasUnappliedChanges();
  // The machine's values as last read or sent; nullptr before it answered.
  const SystemInfo* MachineValues() const { return m_machineKnown ? &m_machine : nullptr; }

  AdvancedValues m_values;

 protected:
  BOOL InitPage() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  void FillLists();
  // The record as Aplicar would send it: the page's values stored into a copy.
  SystemInfo AsApplied();

  CFilterEdit m_edits[7];
  SystemInfo m_machine{};
  bool m_machineKnown = false;
  SystemInfo m_shown{};
  bool m_fileShown = false;
};
