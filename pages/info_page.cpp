// The information page: one Mfp_GetSystemInfo per refresh, the values shown
// as text.
#include "pages/info_page.h"

#include <cstdio>

#include "app/app_shell.h"
#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/trace.h"
#include "res/resource.h"

namespace {
// The machine's counters are unsigned 32-bit: shown unsigned so that a large
// count does not come out negative.
std::string Counter(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
  return text;
}
}  // namespace

CInfo::CInfo() : CPropertyPage(IDD_INFO) {
  BindText(IDC_INFO_MODEL, m_strModelName);
  BindText(IDC_INFO_FIRMWARE, m_strFwVersion);
  BindText(IDC_INFO_ENGINE, m_strEngineVersion);
  BindText(IDC_INFO_EMULATION1, m_strEmulation1);
  BindText(IDC_INFO_EMULATION2, m_strEmulation2);
  BindText(IDC_INFO_FREE_MEMORY, m_strFreeMemory);
  BindText(IDC_INFO_PLATEN_SCANS, m_strPlatenScans);
  BindText(IDC_INFO_ADF_SCANS, m_strAdfScans);
  BindText(IDC_INFO_PRINTS, m_strPrints);
  BindText(IDC_INFO_DRUM, m_strDrum);
  BindText(IDC_INFO_ADF_JAMS, m_strAdfJams);
  BindText(IDC_INFO_PRINT_JAMS, m_strPrintJams);
}

BOOL CInfo::InitPage() {
  CPropertyPage::InitPage();  // replaces the template's placeholders with the empty values
  OnRefresh();
  return TRUE;
}

bool CInfo::OnCommand(WORD id, WORD code, HWND control) {
  if (id != IDC_REFRESH || code != BN_CLICKED) return false;
  OnRefresh();
  return true;
}

bool ReadSystemInfoForPage() {
  CWaitCursor wait;
  bool ok = Mfp_GetSystemInfo();
  // The machine needs a pause after each exchange before it takes the next.
  BusyWait(500);
  wait.Restore();
  if (!ok) ReportLinkFailure(IDS_NO_ANSWER);
  return ok;
}

void CInfo::OnRefresh() {
  if (!ReadSystemInfoForPage()) return;

  m_strModelName = systemInfo.modelName;
  m_strFwVersion = systemInfo.firmwareVersion;
  m_strEngineVersion = systemInfo.engineVersion;
  m_strEmulation1 = systemInfo.emulation1Version;
  m_strEmulation2 = systemInfo.emulation2Version;
  char memory[16];
  std::snprintf(memory, sizeof memory, " %d %% ", static_cast<int>(systemInfo.freeMemoryPercent));
  m_strFreeMemory = memory;
  m_strPlatenScans = Counter(systemInfo.platenScanCount);
  m_strAdfScans = Counter(systemInfo.adfScanCount);
  m_strPrints = Counter(systemInfo.printCount);
  m_strDrum = Counter(systemInfo.drumCount);
  m_strAdfJams = Counter(systemInfo.adfJamCount);
  m_strPrintJams = Counter(systemInfo.printJamCount);
  ShowValues();
}
