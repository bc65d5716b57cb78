#pragma once
// Standard command, control and string ids of the framework. The resource
// script includes this file, so it holds preprocessor definitions only.

// Framework strings
#define AFX_IDS_APP_TITLE          0xE000  // 57344
#define AFX_IDS_IDLEMESSAGE        0xE001  // 57345
#define AFX_IDS_HELPMODEMESSAGE    0xE002

// File commands
#define ID_FILE_NEW                0xE100  // 57600
#define ID_FILE_OPEN               0xE101  // 57601
#define ID_FILE_CLOSE              0xE102  // 57602
#define ID_FILE_SAVE               0xE103  // 57603
#define ID_FILE_SAVE_AS            0xE104
#define ID_FILE_PAGE_SETUP         0xE105
#define ID_FILE_PRINT_SETUP        0xE106  // 57606
#define ID_FILE_PRINT              0xE107  // 57607
#define ID_FILE_PRINT_DIRECT       0xE108
#define ID_FILE_PRINT_PREVIEW      0xE109  // 57609
#define ID_FILE_MRU_FILE1          0xE110  // 57616
#define ID_FILE_MRU_FILE2          0xE111
#define ID_FILE_MRU_FILE3          0xE112
#define ID_FILE_MRU_FILE4          0xE113

// Edit commands
#define ID_EDIT_COPY               0xE122  // 57634
#define ID_EDIT_CUT                0xE123  // 57635
#define ID_EDIT_PASTE              0xE125  // 57637
#define ID_EDIT_UNDO               0xE12B  // 57643

// Window commands
#define ID_WINDOW_NEW              0xE130  // 57648
#define ID_WINDOW_ARRANGE          0xE131  // 57649
#define ID_WINDOW_CASCADE          0xE132  // 57650
#define ID_WINDOW_TILE_HORZ        0xE133  // 57651
#define ID_WINDOW_TILE_VERT        0xE134  // 57652
#define ID_WINDOW_SPLIT            0xE135  // 57653

// Application commands
#define ID_APP_ABOUT               0xE140  // 57664
#define ID_APP_EXIT                0xE141  // 57665
#define ID_HELP_INDEX              0xE142
#define ID_HELP_FINDER             0xE143
#define ID_HELP_USING              0xE144
#define ID_CONTEXT_HELP            0xE145
#define ID_HELP                    0xE146
#define ID_DEFAULT_HELP            0xE147

// Pane commands
#define ID_NEXT_PANE               0xE150  // 57680
#define ID_PREV_PANE               0xE151  // 57681

// Commands of the print preview's bar
#define AFX_ID_PREVIEW_CLOSE       0xE300  // 58112
#define AFX_ID_PREVIEW_NUMPAGE     0xE301
#define AFX_ID_PREVIEW_NEXT        0xE302
#define AFX_ID_PREVIEW_PREV        0xE303
#define AFX_ID_PREVIEW_PRINT       0xE304
#define AFX_ID_PREVIEW_ZOOMIN      0xE305
#define AFX_ID_PREVIEW_ZOOMOUT     0xE306

// Resource type of a toolbar description (version, image size, button ids)
#define RT_TOOLBAR_TYPE            241

// Control bars and their toggles
#define ID_VIEW_TOOLBAR            0xE800  // 59392
#define ID_VIEW_STATUS_BAR         0xE801  // 59393
#define AFX_IDW_TOOLBAR            0xE800  // 59392
#define AFX_IDW_STATUS_BAR         0xE801  // 59393
#define AFX_IDW_PREVIEW_BAR        0xE805

// Status bar indicators
#define ID_SEPARATOR               0
#define ID_INDICATOR_EXT           0xE700
#define ID_INDICATOR_CAPS          0xE701  // 59137
#define ID_INDICATOR_NUM           0xE702  // 59138
#define ID_INDICATOR_SCRL          0xE703  // 59139

// Panes of a splitter: first pane, then +16 per row and +1 per column
#define AFX_IDW_PANE_FIRST         0xE900  // 59648
#define AFX_IDW_PANE_LAST          0xE9FF

// Identifier of the MDI client area and the first MDI child's menu id
#define AFX_IDW_MDICLIENT          0xE900
#define AFX_IDM_FIRST_MDICHILD     0xFF00
