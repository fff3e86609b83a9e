// CUsageHistory: "Arquivo" -> "Histórico de uso...": the attached machine's
// pages printed and scanned per month over the last 12 months as a bar
// chart with the jams marked, the figures in a small table below, and
// "Exportar..." writing every month as CSV. With no readings yet, one line
// says so and neither chart nor table is shown.
#pragma once

#include <vector>

#include "history/history.h"
#include "history/usage.h"
#include "widgets/dialog.h"

class CUsageHistory : public CDialog {
 public:
  explicit CUsageHistory(HWND parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillTable();
  void ShowNoHistory();
  void OnExport();

  MachineHistory m_history;
  HistoryTime m_now;
  std::vector<PeriodUsage> m_months;  // 12, oldest first
};

// Draws the chart of `months` into `area` of `dc`: lines, texts and marks
// scaled by `dpi` (96 is 100 %), labels in `font`.
void DrawUsageChart(HDC dc, const RECT& area, const std::vector<PeriodUsage>& months, int dpi, HFONT font);
