#pragma once
#include "framework/afxwin_base.h"

// The program is aware of each monitor's DPI. Everything in the main window
// is laid out at one DPI, the layout DPI: that of the monitor the window is
// on, taken when the window is made and again when it moves to a monitor of
// another DPI. Every length the program chooses itself is given in pixels at
// 96 DPI and scaled to the layout DPI here. Dialogs are laid out by the system
// at their own window's DPI.
//
// The functions that know a DPI per window or per monitor came with Windows
// 10; they are looked up here at run time. Without them every window has the
// screen's DPI, and system figures for another DPI are scaled from it.

// The screen's DPI, read once.
int SystemDpi();
// The DPI a window is shown at.
int WindowDpi(HWND hWnd);
// The DPI the main window is laid out at (the screen's until the main window sets it).
int LayoutDpi();
void SetLayoutDpi(int dpi);
// A length in pixels at 96 DPI, at the layout DPI (rounded to the nearest pixel).
int ScaleToDpi(int pixels);
// A system metric (GetSystemMetrics) at a DPI.
int SystemMetricForDpi(int index, int dpi);
// The font the tree and list controls choose for themselves (that of icon
// titles), and the status bar's font, at a DPI.
LOGFONTW IconTitleFontForDpi(int dpi);
LOGFONTW StatusFontForDpi(int dpi);
