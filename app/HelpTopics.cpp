#include "app/HelpTopics.h"

#include "framework/HelpContext.h"
#include "res/Resource.h"

#include <map>

namespace {

// Anchors are the guide's headings as the guide's own links name them.
const std::map<DWORD, const char*>& Topics()
{
    static const std::map<DWORD, const char*> topics{
        {HID_BASE_COMMAND + ID_FILE_NEW, "new"},
        {HID_BASE_COMMAND + ID_FILE_OPEN, "open"},
        {HID_BASE_COMMAND + ID_FILE_CLOSE, "close"},
        {HID_BASE_COMMAND + ID_FILE_SAVE, "save"},
        {HID_BASE_COMMAND + ID_FILE_SAVE_AS, "save-as"},
        {HID_BASE_COMMAND + ID_FILE_SAVE_SELECTION_AS, "save-selection-as"},
        {HID_BASE_COMMAND + ID_FILE_INSERT_FROM_FILE, "insert-from-file"},
        {HID_BASE_COMMAND + ID_FILE_PRINT, "print"},
        {HID_BASE_COMMAND + ID_FILE_PRINT_PREVIEW, "print-preview"},
        {HID_BASE_COMMAND + ID_FILE_PRINT_SETUP, "print-setup"},
        {HID_BASE_COMMAND + ID_FILE_MRU_FILE1, "recent-files"},
        {HID_BASE_COMMAND + ID_FILE_MRU_FILE1 + 1, "recent-files"},
        {HID_BASE_COMMAND + ID_FILE_MRU_FILE1 + 2, "recent-files"},
        {HID_BASE_COMMAND + ID_FILE_MRU_FILE4, "recent-files"},
        {HID_BASE_COMMAND + ID_APP_EXIT, "exit"},
        {HID_BASE_COMMAND + ID_EDIT_INSERT, "insert"},
        {HID_BASE_COMMAND + ID_EDIT_CUT, "cut"},
        {HID_BASE_COMMAND + ID_EDIT_COPY, "copy"},
        {HID_BASE_COMMAND + ID_EDIT_PASTE, "paste"},
        {HID_BASE_COMMAND + ID_EDIT_SELECT_ALL, "select-all"},
        {HID_BASE_COMMAND + ID_EDIT_CLEAR_ALL, "clear-all"},
        {HID_BASE_COMMAND + ID_EDIT_UNDO, "limits"},
        {HID_BASE_COMMAND + ID_SEARCH_FIND, "find"},
        {HID_BASE_COMMAND + ID_SEARCH_REPLACE, "replace"},
        {HID_BASE_COMMAND + ID_SEARCH_GOTO, "goto-address"},
        {HID_BASE_COMMAND + ID_SEARCH_COMPARE, "compare-files"},
        {HID_BASE_COMMAND + ID_VIEW_TOOLBAR, "toolbar"},
        {HID_BASE_COMMAND + ID_VIEW_STATUS_BAR, "status-bar"},
        {HID_BASE_COMMAND + ID_VIEW_FONT, "font"},
        {HID_BASE_COMMAND + ID_VIEW_ADDRESS_BASE_10, "address-base-10-and-16"},
        {HID_BASE_COMMAND + ID_VIEW_ADDRESS_BASE_16, "address-base-10-and-16"},
        {HID_BASE_COMMAND + ID_VIEW_DATA_COLUMNS, "data-columns"},
        {HID_BASE_COMMAND + ID_VIEW_ASCII_CHART, "ascii-chart"},
        {HID_BASE_COMMAND + ID_WINDOW_CASCADE, "cascade"},
        {HID_BASE_COMMAND + ID_WINDOW_TILE_HORZ, "tile"},
        {HID_BASE_COMMAND + ID_WINDOW_TILE_VERT, "tile"},
        {HID_BASE_COMMAND + ID_WINDOW_NEW, "duplicate-window"},
        {HID_BASE_COMMAND + ID_WINDOW_ARRANGE, "arrange-icons"},
        {HID_BASE_COMMAND + ID_WINDOW_CLOSE_ALL, "close-all"},
        {HID_BASE_COMMAND + AFX_IDM_FIRST_MDICHILD, "the-window-list"},
        {HID_BASE_COMMAND + ID_HELP_FINDER, "help-topics"},
        {HID_BASE_COMMAND + ID_HELP, "help-topics"},
        {HID_BASE_COMMAND + ID_DEFAULT_HELP, "help-topics"},
        {HID_BASE_COMMAND + ID_CONTEXT_HELP, "help-on-a-command"},
        {HID_BASE_COMMAND + ID_APP_ABOUT, "about-bytelon"},
        {HID_BASE_COMMAND + ID_NEXT_PANE, "keys"},
        {HID_BASE_COMMAND + ID_PREV_PANE, "keys"},
        {HID_BASE_RESOURCE + IDR_BYTELONTYPE, "the-document-window"},
        {HID_BASE_RESOURCE + IDD_ABOUTBOX, "about-bytelon"},
        {HID_BASE_RESOURCE + IDD_GOTO, "goto-address"},
        {HID_BASE_RESOURCE + IDD_INSERT, "insert"},
        {HID_BASE_RESOURCE + IDD_FIND, "find"},
        {HID_BASE_RESOURCE + IDD_REPLACE, "replace"},
        {HID_BASE_RESOURCE + IDD_COLUMNS, "data-columns"},
        {HID_BASE_CONTROL + AFX_IDW_TOOLBAR, "the-toolbar"},
        {HID_BASE_CONTROL + AFX_IDW_STATUS_BAR, "the-status-bar"},
    };
    return topics;
}

}  // namespace

QString HelpTopic(DWORD context)
{
    const auto& topics = Topics();
    const auto it = topics.find(context);
    // The main window and anything unknown: the guide from its start.
    return it == topics.end() ? QString() : QString::fromLatin1(it->second);
}
