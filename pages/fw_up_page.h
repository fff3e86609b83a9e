// CFwUp: the "Atualização do firmware" page (the firmware update), on its dialog template.
// For now the page shows its template and does nothing else.
#pragma once

#include "widgets/property_page.h"

class CFwUp : public CPropertyPage {
 public:
  CFwUp();
};
