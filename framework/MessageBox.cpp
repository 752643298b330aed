#include "framework/MessageBox.h"

#include "framework/StringTable.h"
#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <cstdio>

namespace {

bool showBoxesWithoutScreen = false;

class CInteractiveMessageBox final : public CMessageBoxService {
public:
    int Show(const QString& text, UINT type) override
    {
        // Without a screen nobody can see or answer a box: its text goes to
        // the error stream and it takes the answer that changes nothing.
        if (!AfxCanShowBoxes()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(AfxGetAppTitle()), qPrintable(text));
            return AfxNeutralAnswer(type);
        }
        QWidget* pParent = QApplication::activeModalWidget();
        if (!pParent)
            pParent = AfxGetMainWnd();
        QMessageBox box(pParent);
        if (const CWinApp* pApp = AfxGetApp())
            pApp->ApplyDialogColors(&box);
        box.setWindowTitle(AfxGetAppTitle());
        box.setText(text);
        switch (type & MB_ICONMASK) {
        case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
        case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
        default:
            // A plain OK box is the program's error report; a question without
            // an icon stays plain.
            box.setIcon((type & MB_TYPEMASK) == MB_OK ? QMessageBox::Warning : QMessageBox::NoIcon);
            break;
        }
        switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MB_YESNOCANCEL:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return IDYES;
        case QMessageBox::No: return IDNO;
        case QMessageBox::Ok: return IDOK;
        default: return IDCANCEL;
        }
    }
};

CInteractiveMessageBox interactiveService;
CMessageBoxService* pCurrentService = nullptr;

}  // namespace

void AfxSetMessageBoxService(CMessageBoxService* pService)
{
    pCurrentService = pService;
}

void AfxShowBoxesWithoutScreen(bool show)
{
    showBoxesWithoutScreen = show;
}

bool AfxCanShowBoxes()
{
    const QString platform = QGuiApplication::platformName();
    return showBoxesWithoutScreen
           || (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"));
}

CMessageBoxService* AfxGetMessageBoxService()
{
    return pCurrentService ? pCurrentService : &interactiveService;
}

int AfxMessageBox(const QString& text, UINT type)
{
    return AfxGetMessageBoxService()->Show(text, type);
}

int AfxNeutralAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_YESNOCANCEL:
    case MB_OKCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    default: return IDOK;
    }
}

int AfxMessageBox(UINT idString, UINT type)
{
    return AfxMessageBox(AfxLoadString(idString), type);
}
