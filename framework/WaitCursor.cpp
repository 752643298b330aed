#include "framework/WaitCursor.h"

#include <QGuiApplication>

namespace {
int depth = 0;
}

CWaitCursor::CWaitCursor()
{
    ++depth;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor()
{
    --depth;
    QGuiApplication::restoreOverrideCursor();
}

int CWaitCursor::Depth()
{
    return depth;
}
