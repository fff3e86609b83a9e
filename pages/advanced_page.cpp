// The "Avançado" page.
#include "pages/advanced_page.h"

#include "res/resource.h"

CAdvanced::CAdvanced() : CPropertyPage(IDD_ADVANCED) {}
