// Resource ids of the program's dialogs, menus, icons and strings.
#pragma once

#define IDD_ABOUT 100
#define IDS_ABOUT_ITEM 101
#define IDD_MAIN 102
#define IDI_NO_KEYBOARD 128
#define IDD_PROFILE_MANAGER 131
#define IDD_KEY_EDITOR 134
#define IDM_TRAY 140
#define IDI_KEYBOARD 141
#define IDI_ACTIVITY 142
#define IDM_BUTTON 144
#define IDD_UPDATE 149
