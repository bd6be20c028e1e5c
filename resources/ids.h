// Resource and control ids, shared by the .rc and the code.
// Plain #defines only: windres reads this file too.
#pragma once

// Resources
#define IDI_APP 1
#define IDD_MAIN 1
#define IDD_EDITOR 2
// The notification-area icon's three faces, 16 x 16
#define IDI_TRAY_WAITING 10
#define IDI_TRAY_RECORDING 11
#define IDI_TRAY_NEEDS_YOU 12

// Shared by both dialogs: the hidden label whose text names the dialog's
// remembered placement, and the size grip of the resizable one.
#define IDC_PLACEMENT_KEY 996
#define IDC_SIZE_GRIP 994

// Main dialog (IDD_MAIN)
#define IDC_MAIN_LIST 100
#define IDC_MAIN_EXIT 102
#define IDC_MAIN_LAUNCH 103
#define IDC_MAIN_START 104
#define IDC_MAIN_STOP 105
#define IDC_MAIN_ADD 106
#define IDC_MAIN_DELETE 107
#define IDC_MAIN_MODIFY 108
#define IDC_MAIN_SAVE 109
#define IDC_MAIN_STATUS 110
#define IDC_MAIN_NEXT 111  /* the next recording, or the one recording now */

// Main dialog: the items added to its system menu (system command ids:
// below 0xF000, low four bits clear)
#define IDM_SHOW_HISTORY 0x0110
#define IDM_START_WITH_WINDOWS 0x0120

// The notification-area icon's menu: its own items, besides the two above
#define IDM_TRAY_OPEN 0x0130
#define IDM_TRAY_EXIT 0x0140

// Main dialog timers
#define TIMER_PLUGIN_SEARCH 1
#define TIMER_SECOND_TICK 2
#define TIMER_HAND_OVER 3  /* one look shortly after a stop, between two ticks */
#define TIMER_TRAY_RETRY 4  /* the icon's add, tried again while the shell has no notification area */
#define TIMER_DRIVE_SEARCH 5  /* the next step of the player's drive search */

// Main dialog: its private messages (WM_APP, 0x8000, and above), one number each
#define MSG_REQUEST_ANSWER 0x8001  /* the request worker's answer: wParam the serial, lParam the result */
#define MSG_TRAY_CALLBACK 0x8010  /* the notification-area icon's calls back */
#define MSG_TRAY_HIDE 0x8011  /* the hide that follows a minimise */
#define MSG_MAIN_CODE_PAGE_NOTICE 0x8028  /* the code page message, once the window is on the screen */

// Schedule editor (IDD_EDITOR)
#define IDC_ED_START_HOUR 100
#define IDC_ED_START_MINUTE 101
#define IDC_ED_START_SECOND 102
#define IDC_ED_END_HOUR 103
#define IDC_ED_END_MINUTE 104
#define IDC_ED_END_SECOND 105
#define IDC_ED_OUTPUT 106
#define IDC_ED_BROWSE 107
#define IDC_ED_DAY_FIRST 108   /* 108 + d for weekday d, 0 = Sunday */
#define IDC_ED_DAY_SUN 108
#define IDC_ED_DAY_MON 109
#define IDC_ED_DAY_TUE 110
#define IDC_ED_DAY_WED 111
#define IDC_ED_DAY_THU 112
#define IDC_ED_DAY_FRI 113
#define IDC_ED_DAY_SAT 114
#define IDC_ED_MP3_PARAMS 115
#define IDC_ED_STEREO 116
#define IDC_ED_MONO 117
#define IDC_ED_RATE_22050 118
#define IDC_ED_RATE_44100 119
#define IDC_ED_BITRATE_FIRST 120  /* 120 + i for bitrate index i */
#define IDC_ED_BITRATE_48 120
#define IDC_ED_BITRATE_56 121
#define IDC_ED_BITRATE_64 122
#define IDC_ED_BITRATE_96 123
#define IDC_ED_BITRATE_128 124
#define IDC_ED_BITRATE_192 125
#define IDC_ED_PREVIEW 132
#define IDC_ED_UPDOWN_FIRST 1100  /* 1100 + k is bound to field 100 + k */

// Counts of the button runs in the editor
#define ED_DAY_COUNT 7
#define ED_CHANNEL_COUNT 2
#define ED_RATE_COUNT 2
#define ED_BITRATE_COUNT 6
#define ED_MP3_CONTROL_FIRST 116
#define ED_MP3_CONTROL_LAST 125
