#pragma once
// Resources by identifier: menus, accelerator tables, toolbars, dialog
// templates, cursors and icons. The program registers its own at start-up.

#include "framework/Afx.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <functional>
#include <vector>

class CDialog;

struct CMenuItem {
    UINT Id = 0;                  // 0 with an empty text and no items: a separator
    QString Text;                 // "&Find...\tCtrl+F": the part after the tab is the key shown
    std::vector<CMenuItem> Items; // not empty: a popup menu

    [[nodiscard]] bool IsSeparator() const { return Id == 0 && Text.isEmpty() && Items.empty(); }
    [[nodiscard]] bool IsPopup() const { return !Items.empty(); }
};
using CMenuResource = std::vector<CMenuItem>;

struct CAccelerator {
    UINT Modifiers;   // FSHIFT, FCONTROL, FALT
    UINT VirtualKey;
    UINT Id;
};
using CAcceleratorResource = std::vector<CAccelerator>;

struct CToolBarResource {
    int ButtonWidth = 16;
    int ButtonHeight = 15;
    QString Bitmap;            // the image strip, one image per button
    std::vector<UINT> Buttons; // 0: a separator
};

// Builds a dialog's controls and registers them under their identifiers.
using CDialogTemplate = std::function<void(CDialog&)>;

void AfxRegisterMenu(UINT id, CMenuResource menu);
void AfxRegisterAccelerators(UINT id, CAcceleratorResource table);
void AfxRegisterToolBar(UINT id, CToolBarResource toolBar);
void AfxRegisterDialogTemplate(UINT id, CDialogTemplate build);
void AfxRegisterCursor(UINT id, std::function<QCursor()> make);
void AfxRegisterIcon(UINT id, QString file);

[[nodiscard]] const CMenuResource* AfxFindMenu(UINT id);
[[nodiscard]] const CAcceleratorResource* AfxFindAccelerators(UINT id);
[[nodiscard]] const CToolBarResource* AfxFindToolBar(UINT id);
[[nodiscard]] const CDialogTemplate* AfxFindDialogTemplate(UINT id);
[[nodiscard]] QCursor AfxLoadCursor(UINT id);
[[nodiscard]] QIcon AfxLoadIcon(UINT id);
// A bitmap resource by name; null when there is none.
[[nodiscard]] QPixmap AfxLoadBitmap(const QString& name);
