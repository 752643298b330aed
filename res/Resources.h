#pragma once
// Registration of the program's resources with the class-library layer.

#include <QCursor>

// Registers every resource below; called once before the application starts.
void RegisterBytelonResources();

void RegisterStringTable();
void RegisterMenus();
void RegisterAccelerators();
void RegisterToolBar();
void RegisterDialogTemplates();

// Cursor 116: the column-resize pointer shown over a column rule.
QCursor MakeColumnCursor();
