#include "app/RecoveryDlg.h"

#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

#include <QTreeWidget>

CRecoveryDlg::CRecoveryDlg(std::vector<CEntry> entries)
    : CDialog(IDD_RECOVERY, AfxGetMainWnd()), Entries(std::move(entries))
{
}

bool CRecoveryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* pList = GetDlgItemAs<QTreeWidget>(IDC_RECOVERY_LIST);
    pList->clear();
    for (const CEntry& entry : Entries) {
        auto* pItem = new QTreeWidgetItem(pList, {entry.Document, entry.Size, entry.Changed});
        pItem->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    return true;
}

int CRecoveryDlg::DoModal()
{
    for (;;) {
        const int answer = CDialog::DoModal();
        if (answer != IDC_RECOVERY_DISCARD)
            return answer;
        // The changes cannot be had back: the user says so twice.
        if (AfxMessageBox(QStringLiteral("Delete the unsaved changes of the documents listed? They cannot be "
                                         "recovered afterwards."),
                          MB_YESNO | MB_ICONEXCLAMATION)
            == IDYES)
            return IDC_RECOVERY_DISCARD;
    }
}

bool CRecoveryDlg::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    if (id == IDC_RECOVERY_DISCARD && !pCmdUI) {
        EndDialog(IDC_RECOVERY_DISCARD);
        return true;
    }
    return CDialog::OnCmdMsg(id, pCmdUI);
}

QString CRecoveryDlg::ListText() const
{
    QString text;
    for (const CEntry& entry : Entries)
        text += QStringLiteral("  %1, %2, %3\n").arg(entry.Document, entry.Size, entry.Changed);
    return text;
}
