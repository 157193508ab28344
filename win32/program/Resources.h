#pragma once
// Resource identifiers shared by the resource scripts and the code.

#define QX_ICON_PROGRAM 1
#define QX_ICON_ENABLED 101
#define QX_ICON_DISABLED 102
#define QX_ICON_ALERT 103
// The tray menu's image i is the bitmap QX_BITMAP_MENU + i.
#define QX_BITMAP_MENU 200
