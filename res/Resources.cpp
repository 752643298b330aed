#include "res/Resources.h"

#include "framework/Resources.h"
#include "res/Resource.h"

#include <QtGlobal>

static void InitQtResources()
{
    Q_INIT_RESOURCE(bytelon);
}

void RegisterBytelonResources()
{
    InitQtResources();
    RegisterStringTable();
    RegisterMenus();
    RegisterAccelerators();
    RegisterToolBar();
    RegisterDialogTemplates();
    AfxRegisterCursor(IDC_COLUMN_CURSOR, MakeColumnCursor);
    AfxRegisterIcon(IDR_MAINFRAME, QStringLiteral(":/bitmaps/Bytelon.png"));
    AfxRegisterIcon(IDR_BYTELONTYPE, QStringLiteral(":/bitmaps/Bytelon16.png"));
}
