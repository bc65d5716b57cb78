#pragma once
#include "framework/CDialog.h"

// The About box: the program's name, emblem and maker, centred over the main window.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
