// The "Diretório telefônico" page.
#include "pages/phonebook_page.h"

#include "app/app_shell.h"
#include "res/resource.h"

CPhonebook::CPhonebook() : CPropertyPage(IDD_PHONEBOOK) {}

bool CPhonebook::OnSetActive() {
  CPropertyPage::OnSetActive();
  EnablePhonebookMenu(true);
  return true;
}

bool CPhonebook::OnKillActive() {
  CPropertyPage::OnKillActive();
  EnablePhonebookMenu(false);
  return true;
}
