#include "framework/CursorPos.h"

#include <QCursor>

namespace {
CCursorPosProvider cursorPosProvider = nullptr;
}

void AfxSetCursorPosProvider(CCursorPosProvider provider)
{
    cursorPosProvider = provider;
}

QPoint AfxGetCursorPos()
{
    return cursorPosProvider ? cursorPosProvider() : QCursor::pos();
}
