// The framework's print loop, print preview and Print Setup.

#include "framework/View.h"

#include "framework/DC.h"
#include "framework/MessageBox.h"
#include "framework/PrintDialog.h"
#include "framework/PrintInfo.h"
#include "framework/WaitCursor.h"
#include "framework/WinApp.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <climits>

QPrinter* CWinApp::GetPrinter()
{
    if (!pPrinter)
        pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return pPrinter.get();
}

void CWinApp::OnFilePrintSetup()
{
    CPrintDialog dialog(true, GetPrinter());
    dialog.DoModal();
}

bool CView::DoPreparePrinting(CPrintInfo* pInfo)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp || !pInfo)
        return false;
    pInfo->pPrinter = pApp->GetPrinter();
    // Preview shows the pages of the current printer without asking.
    if (pInfo->Preview)
        return true;
    QPrinter& printer = *pInfo->pPrinter;
    printer.setPrintRange(QPrinter::AllPages);
    CPrintDialog dialog(false, &printer, this);
    dialog.Request.MinPage = pInfo->GetMinPage();
    dialog.Request.MaxPage = pInfo->GetMaxPage();
    if (dialog.DoModal() != IDOK)
        return false;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0)
        pInfo->SetPageRange(printer.fromPage(), std::max(printer.fromPage(), printer.toPage()));
    else
        pInfo->SetPageRange(pInfo->GetMinPage(), INT_MAX);
    return true;
}

void CView::PrintPages(QPrinter& printer, CPrintInfo& info)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        AfxMessageBox(QStringLiteral("The print job could not be started."), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDC dc(&printer, &painter, true);
    OnBeginPrinting(&dc, &info);
    long long last = info.GetToPage();
    if (info.GetMaxPage() != CPrintInfo::UnknownPageCount)
        last = std::min<long long>(last, info.GetMaxPage());
    bool first = true;
    for (long long page = std::max(info.GetFromPage(), info.GetMinPage()); page <= last; ++page) {
        info.CurPage = int(page);
        info.Continuing = true;
        OnPrepareDC(&dc, &info);
        if (!info.Continuing)
            break;
        if (!first)
            printer.newPage();
        first = false;
        QRect drawable(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
        dc.DPtoLP(&drawable);
        info.DrawRect = drawable;
        OnPrint(&dc, &info);
    }
    OnEndPrinting(&dc, &info);
    painter.end();
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (!OnPreparePrinting(&info) || !info.pPrinter)
        return;
    CWaitCursor wait;
    PrintPages(*info.pPrinter, info);
}

void CView::OnFilePrintPreview()
{
    CPrintInfo info;
    info.Preview = true;
    if (!OnPreparePrinting(&info) || !info.pPrinter)
        return;
    // The preview asks for its pages again when its page setup changes.
    AfxGetPrintDialogService()->RunPreview(*info.pPrinter, [this, info](QPrinter* pPrinter) {
        AfxCallGuarded([&] {
            CPrintInfo pass = info;
            PrintPages(*pPrinter, pass);
        });
    });
    Invalidate(true);
}
