#include "framework/CmdTarget.h"

#include "framework/FileException.h"
#include "framework/MessageBox.h"

#include <new>

bool CCmdTarget::OnCmdMsg(UINT, CCmdUI*)
{
    return false;
}

bool AfxCallGuarded(const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (const CFileException& e) {
        e.ReportError();
    } catch (const CUserException&) {
        // already reported
    } catch (const std::bad_alloc&) {
        AfxMessageBox(QStringLiteral("Out of memory."), MB_OK | MB_ICONSTOP);
    }
    return false;
}
