// The "Atualização do firmware" page.
#include "pages/fw_up_page.h"

#include "res/resource.h"

CFwUp::CFwUp() : CPropertyPage(IDD_FWUP) {}
