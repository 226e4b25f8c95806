// Resource ids of the launcher.
#pragma once

#define IDS_APP_TITLE      103
#define IDS_WINDOW_CLASS   109

#define IDI_APP            151

#define IDM_SETTINGS       149
#define IDM_TRAY           156

#define ID_SETTINGS_REFRESH     32774
#define ID_SETTINGS_AUTORUN     32776
#define ID_SETTINGS_CLEAN_CACHE 32778
#define ID_TRAY_OPEN            32781
#define ID_TRAY_EXIT            32782

// Application manifest (RT_MANIFEST, id 1).
#define IDR_MANIFEST       1
