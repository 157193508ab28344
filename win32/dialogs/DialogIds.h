#pragma once
// Identifiers of the dialog templates and of the controls the code finds by
// identifier. Every other control is matched to its model control by its
// caption; -1 marks a picture or line that only decorates.

#define QX_DLG_OPTIONS 300
// The options dialog's panels: QX_DLG_PANEL + the tab's position (1..9).
#define QX_DLG_PANEL 310
#define QX_DLG_PANEL1 311
#define QX_DLG_PANEL2 312
#define QX_DLG_PANEL3 313
#define QX_DLG_PANEL4 314
#define QX_DLG_PANEL5 315
#define QX_DLG_PANEL6 316
#define QX_DLG_PANEL7 317
#define QX_DLG_PANEL8 318
#define QX_DLG_PANEL9 319
#define QX_DLG_WEBSITE_RULE 330
#define QX_DLG_WINDOW_RULE 331
#define QX_DLG_EXTRA_OPTIONS 332

// A control matched by its caption.
#define QX_ID_BOUND 100
#define QX_ID_TABS 101
#define QX_ID_FILE_NAME 102
#define QX_ID_STARTUP 103
#define QX_ID_WS_LIST 104
#define QX_ID_WIN_LIST 105
#define QX_ID_HK_KILL 106
#define QX_ID_HK_BAN 107
#define QX_ID_HK_NORMALIZE 108
#define QX_ID_HK_OFF 109
#define QX_ID_LOG_LIST 110
#define QX_ID_DELETE_LOGS 111
#define QX_ID_COUNT 112
#define QX_ID_LOGO 113
#define QX_ID_EXTRA 114
#define QX_ID_URL 120
#define QX_ID_RULE 121
#define QX_ID_DESC_FRAME 122
#define QX_ID_DESC_TITLE 123
#define QX_ID_DESC_TEXT 124
#define QX_ID_TIPS_FRAME 125
#define QX_ID_TIPS_LINK 126
#define QX_ID_CAPTION 130
#define QX_ID_MODULE 131
#define QX_ID_EXPLANATION 132
#define QX_ID_BULB 140
#define QX_ID_TITLE 141
