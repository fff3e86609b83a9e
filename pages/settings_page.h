// CSettings: the "Configurações" page (the machine's fax and paper settings), on its dialog template.
// For now the page shows its template and does nothing else.
#pragma once

#include "widgets/property_page.h"

class CSettings : public CPropertyPage {
 public:
  CSettings();
};
