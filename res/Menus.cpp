#include "res/Resources.h"

#include "framework/Resources.h"
#include "res/Resource.h"

namespace {

CMenuItem Item(UINT id, const char* text)
{
    return CMenuItem{id, QString::fromUtf8(text), {}};
}

CMenuItem Separator()
{
    return CMenuItem{};
}

CMenuItem Popup(const char* text, std::vector<CMenuItem> items)
{
    return CMenuItem{0, QString::fromUtf8(text), std::move(items)};
}

CMenuItem HelpMenu()
{
    return Popup("&Help", {Item(ID_HELP_FINDER, "&Help Topics"), Separator(),
                           Item(ID_APP_ABOUT, "&About BYTELON...")});
}

}  // namespace

void RegisterMenus()
{
    // Shown while no document is open.
    AfxRegisterMenu(IDR_MAINFRAME,
                    {
                        Popup("&File",
                              {Item(ID_FILE_NEW, "&New\tCtrl+N"), Item(ID_FILE_OPEN, "&Open...\tCtrl+O"),
                               Separator(), Item(ID_FILE_PRINT_SETUP, "P&rint Setup..."), Separator(),
                               Item(ID_FILE_MRU_FILE1, "Recent File"), Separator(), Item(ID_APP_EXIT, "E&xit")}),
                        Popup("&View", {Item(ID_VIEW_TOOLBAR, "&Toolbar"), Item(ID_VIEW_STATUS_BAR, "&Status Bar"),
                                        Separator(), Item(ID_VIEW_ASCII_CHART, "&ASCII Chart")}),
                        HelpMenu(),
                    });

    // Shown while a document window is active.
    AfxRegisterMenu(
        IDR_BYTELONTYPE,
        {
            Popup("&File",
                  {Item(ID_FILE_NEW, "&New\tCtrl+N"), Item(ID_FILE_OPEN, "&Open...\tCtrl+O"),
                   Item(ID_FILE_CLOSE, "&Close"), Item(ID_FILE_SAVE, "&Save\tCtrl+S"),
                   Item(ID_FILE_SAVE_AS, "Save &As..."), Separator(),
                   Item(ID_FILE_SAVE_SELECTION_AS, "Save Se&lection As..."),
                   Item(ID_FILE_INSERT_FROM_FILE, "&Insert From File..."), Separator(),
                   Item(ID_FILE_PRINT, "&Print...\tCtrl+P"), Item(ID_FILE_PRINT_PREVIEW, "Print Pre&view"),
                   Item(ID_FILE_PRINT_SETUP, "P&rint Setup..."), Separator(), Item(ID_FILE_MRU_FILE1, "Recent File"),
                   Separator(), Item(ID_APP_EXIT, "E&xit")}),
            Popup("&Edit", {Item(ID_EDIT_INSERT, "&Insert ...\tCtrl+I"), Separator(), Item(ID_EDIT_CUT, "Cu&t\tCtrl+X"),
                            Item(ID_EDIT_COPY, "&Copy\tCtrl+C"), Item(ID_EDIT_PASTE, "&Paste\tCtrl+V"), Separator(),
                            Item(ID_EDIT_SELECT_ALL, "&Select all\tCtrl+A"), Item(ID_EDIT_CLEAR_ALL, "C&lear all")}),
            Popup("&Search", {Item(ID_SEARCH_FIND, "&Find...\tCtrl+F"), Item(ID_SEARCH_REPLACE, "&Replace...\tCtrl+R"),
                              Item(ID_SEARCH_GOTO, "&Goto Address...\tCtrl+G"), Separator(),
                              Item(ID_SEARCH_COMPARE, "&Compare files")}),
            Popup("&View", {Item(ID_VIEW_TOOLBAR, "&Toolbar"), Item(ID_VIEW_STATUS_BAR, "&Status Bar"), Separator(),
                            Item(ID_VIEW_FONT, "&Font"), Separator(),
                            Item(ID_VIEW_ADDRESS_BASE_10, "Address base 1&0\tCtrl+D"),
                            Item(ID_VIEW_ADDRESS_BASE_16, "Address base 1&6\tCtrl+H"),
                            Item(ID_VIEW_DATA_COLUMNS, "&Data Columns..."), Separator(),
                            Item(ID_VIEW_ASCII_CHART, "&ASCII Chart")}),
            Popup("&Window", {Item(ID_WINDOW_CASCADE, "&Cascade"), Item(ID_WINDOW_TILE_HORZ, "&Tile ="),
                              Item(ID_WINDOW_TILE_VERT, "&Tile ||"), Item(ID_WINDOW_NEW, "&Duplicate Window"),
                              Item(ID_WINDOW_ARRANGE, "&Arrange Icons"), Separator(),
                              Item(ID_WINDOW_CLOSE_ALL, "Close &All")}),
            HelpMenu(),
        });
}
