// Resource identifiers of fenlow.exe. Hand-kept: fenlow.rc is written by hand, not by a resource editor.
#pragma once

// Icons
#define IDI_FENLOW 102
#define IDI_NUMLOCK_OFF 108
#define IDI_NUMLOCK_ON 109
#define IDI_CAPSLOCK_OFF 110
#define IDI_CAPSLOCK_ON 111
#define IDI_SCROLLLOCK_OFF 112
#define IDI_SCROLLLOCK_ON 113
#define IDI_TRAY 115

// Menus
#define IDR_MAINMENU 101
#define IDR_TRAYMENU 105

// Dialogs
#define IDD_ACERCA 104
#define IDD_NOTIFY 107
#define IDD_OPCIONES 116

// Strings
#define IDS_SALIR 103
#define IDS_ACERCA 104
#define IDS_CONFIRM_EXIT 105
#define IDS_SAVE_FAILED 106

// The icon font, type "BINARY"
#define IDR_ICONFONT 101

// Commands
#define IDM_SALIR 40001
#define IDM_ABOUT 40002
#define IDM_TRAY_SHOW 40005
#define IDM_TRAY_EXIT 40006
#define IDM_NOTIFY_OK 40007

// Options dialog controls
#define IDC_HIDE_TRAY 1005
#define IDC_ICON_SCROLL 1006
#define IDC_ICON_NUM 1007
#define IDC_ICON_CAPS 1008
#define IDC_MSG_CAPS 1009
#define IDC_MSG_SCROLL 1010
#define IDC_MSG_NUM 1011

// Popup controls
#define IDC_NOTIFY_TEXT 120
#define IDC_NOTIFY_GLYPH1 1
#define IDC_NOTIFY_GLYPH2 2

// About dialog controls
#define IDC_ABOUT_TEXT 901
#define IDC_ABOUT_LINK 905
#define IDC_ABOUT_TITLE 906
