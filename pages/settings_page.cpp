// The "Configurações" page.
#include "pages/settings_page.h"

#include "res/resource.h"

CSettings::CSettings() : CPropertyPage(IDD_SETTINGS) {}
