// CAdvanced: the "Avançado" page (the machine's advanced settings), on its dialog template.
// For now the page shows its template and does nothing else.
#pragma once

#include "widgets/property_page.h"

class CAdvanced : public CPropertyPage {
 public:
  CAdvanced();
};
