#include "app/BytelonApp.h"

#include "app/HelpTopics.h"
#include "app/HelpWindow.h"
#include "framework/MDIFrameWnd.h"

void CBytelonApp::WinHelp(DWORD data, UINT command)
{
    if (!pMainWnd)
        return;
    CHelpWindow::Open(pMainWnd)->ShowTopic(command == HELP_CONTEXT ? HelpTopic(data) : QString());
}
