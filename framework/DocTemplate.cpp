#include "framework/DocTemplate.h"

#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIFrameWnd.h"
#include "framework/Resources.h"
#include "framework/StringTable.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QLayout>
#include <QMdiArea>

#include <algorithm>

CMultiDocTemplate::CMultiDocTemplate(UINT idResource, DocumentFactory makeDocument, ViewFactory makeView)
    : ResourceId(idResource), MakeDocument(std::move(makeDocument)), MakeView(std::move(makeView))
{
}

CMultiDocTemplate::~CMultiDocTemplate()
{
    while (!Documents.empty())
        Documents.front()->OnCloseDocument();
}

QString CMultiDocTemplate::GetDocString(DocStringIndex index) const
{
    const QStringList parts = AfxLoadString(ResourceId).split(QLatin1Char('\n'));
    return int(index) < parts.size() ? parts[int(index)] : QString();
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const QString& pathName, bool makeVisible)
{
    return OpenDocument(pathName, nullptr, makeVisible);
}

CDocument* CMultiDocTemplate::OpenPreparedDocument(const std::function<bool(CDocument*)>& prepare,
                                                   bool makeVisible)
{
    return OpenDocument(QString(), prepare, makeVisible);
}

CDocument* CMultiDocTemplate::OpenDocument(const QString& pathName, const std::function<bool(CDocument*)>& prepare,
                                           bool makeVisible)
{
    CDocument* pDocument = MakeDocument();
    if (!pDocument)
        return nullptr;
    AddDocument(pDocument);
    CMDIChildWnd* pFrame = CreateNewFrame(pDocument);
    bool opened;
    if (pathName.isEmpty()) {
        pDocument->SetTitle(GetDocString(docName) + QString::number(++UntitledCount));
        opened = pDocument->OnNewDocument() && (!prepare || prepare(pDocument));
    } else {
        opened = pDocument->OnOpenDocument(pathName);
    }
    if (!opened) {
        // Closing the only window takes the document with it.
        pFrame->DestroyWindow();
        return nullptr;
    }
    if (!pathName.isEmpty())
        pDocument->SetPathName(pathName);
    InitialUpdateFrame(pFrame, pDocument, makeVisible);
    return pDocument;
}

CMDIChildWnd* CMultiDocTemplate::CreateNewFrame(CDocument* pDocument)
{
    CView* pView = MakeView();
    pDocument->AddView(pView);
    auto* pFrame = new CMDIChildWnd(pView);
    pFrame->setWindowIcon(AfxLoadIcon(ResourceId));
    AfxSetHelpContext(pFrame, HID_BASE_RESOURCE + ResourceId);
    if (CMDIFrameWnd* pMain = AfxGetMainWnd())
        pMain->GetMdiArea()->addSubWindow(pFrame);
    pFrame->UpdateTitle();
    return pFrame;
}

void CMultiDocTemplate::InitialUpdateFrame(CMDIChildWnd* pFrame, CDocument*, bool makeVisible)
{
    CView* pView = pFrame->GetActiveView();
    if (CMDIFrameWnd* pMain = AfxGetMainWnd()) {
        // New windows cascade down the client area at a comfortable height.
        QMdiArea* pArea = pMain->GetMdiArea();
        const int count = int(pArea->subWindowList().size()) - 1;
        const int step = 24;
        // Before the main window is first shown (a file named on the command
        // line) its layout has not run: run it to know the client area's size.
        if (!pMain->isVisible() && pMain->layout())
            pMain->layout()->activate();
        const int areaHeight = pArea->isVisible() ? pArea->viewport()->height() : pArea->height();
        const int height = qMax(200, areaHeight * 3 / 4);
        pFrame->setGeometry((count % 8) * step, (count % 8) * step, 600, height);
    }
    AfxCallGuarded([pView] { pView->OnInitialUpdate(); });
    if (makeVisible) {
        pFrame->show();
        if (CMDIFrameWnd* pMain = AfxGetMainWnd())
            pMain->MDIActivate(pFrame);
        pView->setFocus(Qt::OtherFocusReason);
    }
}

CDocument* CMultiDocTemplate::FindOpenDocument(const QString& pathName) const
{
    for (CDocument* pDocument : Documents) {
        if (!pDocument->GetPathName().isEmpty() && pDocument->GetPathName() == pathName)
            return pDocument;
    }
    return nullptr;
}

void CMultiDocTemplate::AddDocument(CDocument* pDocument)
{
    Documents.push_back(pDocument);
    pDocument->pDocTemplate = this;
}

void CMultiDocTemplate::RemoveDocument(CDocument* pDocument)
{
    Documents.erase(std::remove(Documents.begin(), Documents.end(), pDocument), Documents.end());
    pDocument->pDocTemplate = nullptr;
}
