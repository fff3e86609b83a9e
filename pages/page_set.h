// The main window's five page objects and its property sheet, reachable from
// the code that works on them from outside (the file commands). They exist
// while the main window object does; null otherwise.
#pragma once

class CPropertySheet;
class CSettings;
class CAdvanced;
class CPhonebook;
class CInfo;
class CFwUp;

extern CPropertySheet* panelSheet;
extern CSettings* settingsPage;
extern CAdvanced* advancedPage;
extern CPhonebook* phonebookPage;
extern CInfo* infoPage;
extern CFwUp* fwUpPage;
