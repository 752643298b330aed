#pragma once
// Where the pointer is on the screen "now", as the program asks for it
// outside its message handlers. Replaceable so tests can hold it still.

#include <QPoint>

using CCursorPosProvider = QPoint (*)();
void AfxSetCursorPosProvider(CCursorPosProvider provider);  // nullptr: the platform's
[[nodiscard]] QPoint AfxGetCursorPos();
