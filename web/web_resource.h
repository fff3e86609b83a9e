// Resource numbers of the pages' files embedded in rcpweb.exe.
#pragma once

#define IDR_WEB_INDEX_HTML 101
#define IDR_WEB_STYLE_CSS 102
#define IDR_WEB_APP_JS 103
#define IDR_WEB_API_JS 104
#define IDR_WEB_PHONEBOOK_JS 105
#define IDR_WEB_SETTINGS_JS 106
#define IDR_WEB_MACHINE_JS 107
#define IDR_WEB_BACKUPS_JS 108
