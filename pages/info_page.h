// CInfo: the read-only "Informação" page. Shows the machine's identity,
// versions, free memory and usage counters from the SystemInfo record, read
// when the page is first shown and again on "Atualizar".
#pragma once

#include <string>

#include "widgets/property_page.h"

// Reads the SystemInfo record for the Information and firmware pages: the
// hourglass, the pause the machine needs after the exchange, "Não responde"
// on failure. True when the record was read.
bool ReadSystemInfoForPage();

class CInfo : public CPropertyPage {
 public:
  CInfo();

  // Reads the machine; on success shows every value, on failure keeps the
  // shown values and reports "Não responde".
  void OnRefresh();

  std::string m_strModelName;
  std::string m_strFwVersion;
  std::string m_strEngineVersion;
  std::string m_strEmulation1;
  std::string m_strEmulation2;
  std::string m_strFreeMemory;
  std::string m_strPlatenScans;
  std::string m_strAdfScans;
  std::string m_strPrints;
  std::string m_strDrum;
  std::string m_strAdfJams;
  std::string m_strPrintJams;

 protected:
  BOOL InitPage() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
};
