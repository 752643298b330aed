#include "app/BytelonApp.h"

#include "app/RecoveryDlg.h"
#include "doc/BytelonDoc.h"
#include "doc/Orphans.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"

#include <QLocale>

#include <cstdio>

namespace {

CRecoveryDlg::CEntry EntryOf(const COrphan& orphan)
{
    const QString document = orphan.State.Path.isEmpty()
                                 ? QStringLiteral("%1 (never saved)").arg(orphan.State.Title)
                                 : orphan.State.Path;
    return {document, QStringLiteral("%1 bytes").arg(orphan.Length()),
            QLocale::system().toString(orphan.LastChanged(), QLocale::ShortFormat)};
}

}  // namespace

void CBytelonApp::OfferRecovery()
{
    std::vector<std::unique_ptr<COrphan>> orphans = CollectOrphans();
    if (orphans.empty())
        return;
    std::vector<CRecoveryDlg::CEntry> entries;
    for (const auto& pOrphan : orphans)
        entries.push_back(EntryOf(*pOrphan));
    CRecoveryDlg dialog(entries);
    int answer = IDCANCEL;
    if (AfxCanShowBoxes()) {
        answer = dialog.DoModal();
    } else {
        // Nobody can answer: everything stays for a start that can ask.
        std::fprintf(stderr, "%s: unsaved documents kept for a later start:\n%s", qPrintable(GetAppName()),
                     qPrintable(dialog.ListText()));
    }
    for (const auto& pOrphan : orphans) {
        if (answer == IDOK)
            RecoverDocument(*pOrphan);
        else if (answer == IDC_RECOVERY_DISCARD)
            pOrphan->Discard();
        else
            pOrphan->Release();
    }
}

void CBytelonApp::RecoverDocument(COrphan& orphan)
{
    if (GetDocTemplates().empty())
        return;
    GetDocTemplates().front()->OpenPreparedDocument([&orphan](CDocument* pDocument) {
        static_cast<CBytelonDoc*>(pDocument)->Recover(orphan);
        return true;
    });
}
