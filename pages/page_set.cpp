// Storage for the page-set pointers (see page_set.h).
#include "pages/page_set.h"

CPropertySheet* panelSheet = nullptr;
CSettings* settingsPage = nullptr;
CAdvanced* advancedPage = nullptr;
CPhonebook* phonebookPage = nullptr;
CInfo* infoPage = nullptr;
CFwUp* fwUpPage = nullptr;
