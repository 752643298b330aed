#pragma once
// The print dialog, the printer and page setup dialog and print preview,
// behind one replaceable service so tests can print to a file without a
// dialog.

#include "framework/Afx.h"

#include <functional>

class QPrinter;
class QWidget;

struct CPrintDialogRequest {
    // True for Print Setup, false for the print dialog of a job.
    bool PrintSetupOnly = false;
    QPrinter* pPrinter = nullptr;
    int MinPage = 1;
    // 0 when the job's pages are not counted yet.
    int MaxPage = 0;
    QWidget* pParent = nullptr;
};

class CPrintDialogService {
public:
    virtual ~CPrintDialogService() = default;
    // True when the user confirms; the printer then carries the choices,
    // the page range included.
    virtual bool Run(const CPrintDialogRequest& request) = 0;
    // Shows the pages paint draws on the printer it is given, until the
    // user closes the preview. paint may be called more than once.
    virtual void RunPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) = 0;
};

// nullptr restores the interactive service. Not owned.
void AfxSetPrintDialogService(CPrintDialogService* pService);
[[nodiscard]] CPrintDialogService* AfxGetPrintDialogService();

class CPrintDialog {
public:
    CPrintDialog(bool printSetupOnly, QPrinter* pPrinter, QWidget* pParent = nullptr);
    // IDOK or IDCANCEL.
    int DoModal();

    CPrintDialogRequest Request;
};
