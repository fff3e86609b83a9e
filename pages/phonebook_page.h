// CPhonebook: the "Diretório telefônico" page, on its dialog template. While
// it is the active page the main window's phonebook file commands are
// available. For now it shows its template and does nothing else.
#pragma once

#include "widgets/property_page.h"

class CPhonebook : public CPropertyPage {
 public:
  CPhonebook();

 protected:
  bool OnSetActive() override;
  bool OnKillActive() override;
};
