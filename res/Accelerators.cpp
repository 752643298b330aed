#include "res/Resources.h"

#include "framework/Resources.h"
#include "framework/VirtualKeys.h"
#include "res/Resource.h"

void RegisterAccelerators()
{
    // Modifiers must match exactly: an entry without Shift does not fire with Shift held.
    AfxRegisterAccelerators(IDR_MAINFRAME, {
                                               {FCONTROL, 'A', ID_EDIT_SELECT_ALL},
                                               {FCONTROL, 'C', ID_EDIT_COPY},
                                               {FCONTROL, 'D', ID_VIEW_ADDRESS_BASE_10},
                                               {FCONTROL, 'F', ID_SEARCH_FIND},
                                               {FCONTROL, 'G', ID_SEARCH_GOTO},
                                               {FCONTROL, 'H', ID_VIEW_ADDRESS_BASE_16},
                                               {FCONTROL, 'I', ID_EDIT_INSERT},
                                               {FCONTROL, 'N', ID_FILE_NEW},
                                               {FCONTROL, 'O', ID_FILE_OPEN},
                                               {FCONTROL, 'P', ID_FILE_PRINT},
                                               {FCONTROL, 'R', ID_SEARCH_REPLACE},
                                               {FCONTROL, 'S', ID_FILE_SAVE},
                                               {FCONTROL, 'V', ID_EDIT_PASTE},
                                               {FCONTROL, 'X', ID_EDIT_CUT},
                                               {FCONTROL, 'Z', ID_EDIT_UNDO},
                                               {FALT, VK_BACK, ID_EDIT_UNDO},
                                               {FSHIFT, VK_DELETE, ID_EDIT_CUT},
                                               {FCONTROL, VK_INSERT, ID_EDIT_COPY},
                                               {FSHIFT, VK_INSERT, ID_EDIT_PASTE},
                                               {0, VK_F1, ID_HELP},
                                               {FSHIFT, VK_F1, ID_CONTEXT_HELP},
                                               {0, VK_F6, ID_NEXT_PANE},
                                               {FSHIFT, VK_F6, ID_PREV_PANE},
                                               {0, VK_OEM_PLUS, ID_WINDOW_TILE_HORZ},
                                           });
}
