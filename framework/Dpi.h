#pragma once
#include "framework/afxwin_base.h"

// The program is declared DPI-aware (system DPI): it draws at the screen's
// DPI as it was when the program started, and every length it chooses itself
// is given in pixels at 96 DPI and scaled to that DPI here.

// The screen's DPI, read once.
int SystemDpi();
// A length in pixels at 96 DPI, at the system DPI (rounded to the nearest pixel).
int ScaleToDpi(int pixels);
