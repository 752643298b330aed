#include "res/Resources.h"

#include "framework/Resources.h"
#include "res/Resource.h"

void RegisterToolBar()
{
    CToolBarResource toolBar;
    toolBar.ButtonWidth = 16;
    toolBar.ButtonHeight = 15;
    toolBar.Bitmap = QStringLiteral("Toolbar");
    toolBar.Buttons = {
        ID_FILE_NEW,     ID_FILE_OPEN,           ID_FILE_SAVE,          ID_FILE_PRINT,        0,
        ID_EDIT_INSERT,  ID_EDIT_CUT,            ID_EDIT_COPY,          ID_EDIT_PASTE,        0,
        ID_SEARCH_FIND,  ID_SEARCH_REPLACE,      ID_SEARCH_GOTO,        0,                    ID_VIEW_FONT,
        0,               ID_VIEW_ADDRESS_BASE_10, ID_VIEW_ADDRESS_BASE_16, ID_VIEW_DATA_COLUMNS, 0,
        ID_VIEW_ASCII_CHART, 0,                  ID_APP_ABOUT,          ID_CONTEXT_HELP,
    };
    AfxRegisterToolBar(IDR_MAINFRAME, toolBar);
}
