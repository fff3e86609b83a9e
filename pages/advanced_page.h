// CAdvanced: the "Avançado" page. Shows and edits the writable fields of the
// SystemInfo record (terminal ID, customer data, service and serial numbers,
// prefix dial, receive mode, sounds, language and the like), reads the
// machine when the page is first shown and on "Atualizar", and sends the
// fields on "Aplicar". The seven texts are filtering edits; a character the
// machine cannot keep (a code of 128 or more) is taken out again at once.
#pragma once

#include <windows.h>

#include "pages/settings_values.h"
#include "widgets/filter_edit.h"
#include "widgets/property_page.h"

// Set when the page's window is first created; never cleared. The settings
// file's save reads the machine's advanced values only while it is clear.
extern bool advancedPageOpen;
// Set by a settings-file load while the page was not open yet: its first
// refresh then shows the loaded values instead of reading the machine.
extern bool advancedFromFile;

class CAdvanced : public CPropertyPage {
 public:
  CAdvanced();

  // Reads the machine (a second time when the first read fails), or takes
  // the values a file load left; then shows the record. "Não responde" once
  // when both reads fail.
  void OnRefresh();
  // Stores the page values, then sends the writable fields.
  void OnApply();
  // Takes the controls' values and writes the eighteen writable fields.
  void StoreToRecord();
  // Shows the record; no device traffic. The record's texts lose their
  // trailing blanks.
  void FillFromRecord();
  // A text change in edit `editId`.
  void OnEditChange(int editId);

  AdvancedValues m_values;

 protected:
  BOOL InitPage() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  void FillLists();

  CFilterEdit m_edits[7];
};
