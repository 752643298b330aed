#include "framework/PrintDialog.h"

#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <climits>

namespace {

QWidget* DialogParent(QWidget* pParent)
{
    return pParent ? pParent : static_cast<QWidget*>(AfxGetMainWnd());
}

class CInteractivePrintDialog final : public CPrintDialogService {
public:
    bool Run(const CPrintDialogRequest& request) override
    {
        if (!request.pPrinter)
            return false;
        if (request.PrintSetupOnly) {
            QPageSetupDialog dialog(request.pPrinter, DialogParent(request.pParent));
            return dialog.exec() == QDialog::Accepted;
        }
        QPrintDialog dialog(request.pPrinter, DialogParent(request.pParent));
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setMinMax(request.MinPage, request.MaxPage > 0 ? request.MaxPage : INT_MAX);
        return dialog.exec() == QDialog::Accepted;
    }

    void RunPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) override
    {
        QPrintPreviewDialog dialog(&printer, DialogParent(nullptr));
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
        dialog.exec();
    }
};

CInteractivePrintDialog interactiveService;
CPrintDialogService* pService = nullptr;

}  // namespace

void AfxSetPrintDialogService(CPrintDialogService* pNewService)
{
    pService = pNewService;
}

CPrintDialogService* AfxGetPrintDialogService()
{
    return pService ? pService : &interactiveService;
}

CPrintDialog::CPrintDialog(bool printSetupOnly, QPrinter* pPrinter, QWidget* pParent)
{
    Request.PrintSetupOnly = printSetupOnly;
    Request.pPrinter = pPrinter;
    Request.pParent = pParent;
}

int CPrintDialog::DoModal()
{
    return AfxGetPrintDialogService()->Run(Request) ? IDOK : IDCANCEL;
}
