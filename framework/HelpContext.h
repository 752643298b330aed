#pragma once
// Help contexts: what the framework hands to CWinApp::WinHelp when help is
// asked for a command, a window made from a resource, or a control bar.

#include "framework/Afx.h"

class QObject;

enum : DWORD {
    HID_BASE_COMMAND = 0x10000,   // plus a command identifier
    HID_BASE_RESOURCE = 0x20000,  // plus the resource a window was made from
    HID_BASE_CONTROL = 0x50000,   // plus a control or control bar identifier
    // The Window menu's list of windows, whose items share one command's help.
    AFX_IDM_FIRST_MDICHILD = 0xFF00,
};

// What WinHelp is asked to do.
enum : UINT {
    HELP_CONTEXT = 0x1,   // show the topic of a help context
    HELP_FINDER = 0xB,    // show the help's contents
};

// The help context of a window or menu item, for F1 and for a click in help
// mode; 0 for none.
void AfxSetHelpContext(QObject* pObject, DWORD context);
// The context of the object or of the nearest of its parents that has one.
[[nodiscard]] DWORD AfxGetHelpContext(const QObject* pObject);
