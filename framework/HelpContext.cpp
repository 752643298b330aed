#include "framework/HelpContext.h"

#include "framework/MessageBox.h"
#include "framework/WinApp.h"

#include <QVariant>
#include <QObject>

namespace {
const char* const HelpContextProperty = "AfxHelpContext";
}  // namespace

void AfxSetHelpContext(QObject* pObject, DWORD context)
{
    if (pObject)
        pObject->setProperty(HelpContextProperty, QVariant::fromValue<quint32>(context));
}

DWORD AfxGetHelpContext(const QObject* pObject)
{
    for (const QObject* p = pObject; p; p = p->parent()) {
        const DWORD context = p->property(HelpContextProperty).value<quint32>();
        if (context != 0)
            return context;
    }
    return 0;
}

void CWinApp::WinHelp(DWORD, UINT)
{
    AfxMessageBox(QStringLiteral("No help file is installed. The status bar describes each command "
                                 "while it is highlighted."),
                  MB_OK | MB_ICONINFORMATION);
}
