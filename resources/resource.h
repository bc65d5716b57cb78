#pragma once
// Resource ids of Heftscope. The resource compiler includes this file, so it
// holds preprocessor definitions only. The framework's standard ids (file,
// window and pane commands, bars, indicators) come from afxres.h.

#include "framework/afxres.h"

#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif

// Shared ids: menu, icon, accelerators, toolbar, strings of a window kind
#define IDR_MAINFRAME               128     // main frame (no document open)
#define IDR_HEFTTYPE                129     // drive document: menu, icon, document strings
#define IDR_LISTTYPE                130     // document strings for the list (not used)
#define IDR_CONTEXTMENU             109     // context menu of the contents list

// Dialogs
#define IDD_ABOUTBOX                100
#define IDD_SCANPROGRESS            106
#define IDD_DRIVEPROPERTIES         122
#define IDD_ITEMPROPERTIES          147

// Scan progress dialog
#define IDC_PROGRESS                1003
#define IDC_PERCENT                 1004
#define IDC_STATUS                  1005

// Drive properties dialog
#define IDC_BYTES_PER_SECTOR        103
#define IDC_SECTORS_PER_CLUSTER     118
#define IDC_TOTAL_CLUSTERS          119
#define IDC_DRIVE_SIZE              120
#define IDC_AVAILABLE_SPACE         121
#define IDC_USED_SPACE              122
#define IDC_AVAILABLE_CLUSTERS      123
#define IDC_SERIAL_NUMBER           124
#define IDC_FILE_SYSTEM             125
#define IDC_COMPRESSED              1018

// Item properties dialog
#define IDC_ITEM_SPACE_USED         1004
#define IDC_ITEM_NAME               1005
#define IDC_ITEM_PERCENT            1006
#define IDC_ITEM_TYPE               1007
#define IDC_ITEM_LAST_WRITTEN       1008

// Strings
#define IDS_SCANNING_DRIVE          107
#define IDS_DELETING                108

// Bitmaps (IDR_MAINFRAME is also the toolbar resource's own 16-colour bitmap)
#define IDB_FREE_LEGEND             123
#define IDB_USED_LEGEND             124
#define IDB_ABOUT                   148
#define IDB_DRIVES                  159
#define IDB_DRIVES_DISABLED         160
#define IDB_DRIVES_HOT              161
#define IDB_TOOLBAR                 162
#define IDB_TOOLBAR_DISABLED        163
#define IDB_TOOLBAR_HOT             164

// Commands of the program
#define ID_ACTION_OPEN              32783
#define ID_ITEM_PROPERTIES          32784
#define ID_ACTION_DELETE            32785
#define ID_HELP_CONTENTS            32786
#define ID_DRIVE_PROPERTIES         32788
#define ID_UP_ONE_LEVEL             32791
#define ID_REFRESH                  32792
#define ID_DISK_VS_DIRECTORY        32793
#define ID_TOP_TEN                  32794
#define ID_REFRESH_FOLDER           32795
#define ID_LARGEST_FILES            32796
#define ID_FILE_TYPES               32797
#define ID_EXPORT_LIST              32798
#define ID_CHANGES_SINCE            32799

// Drive buttons: drive A to Z (command = ID_DRIVE_A + letter index)
#define ID_DRIVE_A                  250
#define ID_DRIVE_B                  251
#define ID_DRIVE_C                  252
#define ID_DRIVE_D                  253
#define ID_DRIVE_E                  254
#define ID_DRIVE_F                  255
#define ID_DRIVE_G                  256
#define ID_DRIVE_H                  257
#define ID_DRIVE_I                  258
#define ID_DRIVE_J                  259
#define ID_DRIVE_K                  260
#define ID_DRIVE_L                  261
#define ID_DRIVE_M                  262
#define ID_DRIVE_N                  263
#define ID_DRIVE_O                  264
#define ID_DRIVE_P                  265
#define ID_DRIVE_Q                  266
#define ID_DRIVE_R                  267
#define ID_DRIVE_S                  268
#define ID_DRIVE_T                  269
#define ID_DRIVE_U                  270
#define ID_DRIVE_V                  271
#define ID_DRIVE_W                  272
#define ID_DRIVE_X                  273
#define ID_DRIVE_Y                  274
#define ID_DRIVE_Z                  275
