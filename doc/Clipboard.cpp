#include "doc/Clipboard.h"

#include "app/BytelonApp.h"
#include "doc/BytelonDoc.h"
#include "doc/Insertion.h"
#include "framework/Clipboard.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <new>

namespace {

constexpr int PasteChunkSize = 16384;
const QString TextMimeType = QStringLiteral("text/plain");
long long blockLimit = -1;

}  // namespace

QString BytelonClipboardMimeType()
{
    CBytelonApp* pApp = BytelonApp();
    const UINT format = pApp && pApp->ClipboardFormat ? pApp->ClipboardFormat
                                                      : AfxRegisterClipboardFormat(QStringLiteral("CF_BYTELON"));
    return AfxClipboardMimeType(format);
}

bool OffersPastableData(const QMimeData* pData)
{
    return pData && (pData->hasFormat(BytelonClipboardMimeType()) || pData->hasFormat(TextMimeType));
}

CPastedBytes PastedBytes(const QMimeData* pData)
{
    CPastedBytes pasted;
    if (!pData)
        return pasted;
    const QString privateType = BytelonClipboardMimeType();
    if (pData->hasFormat(privateType)) {
        pasted.Block = pData->data(privateType);
        if (pasted.Block.size() < 4)
            return pasted;
        const auto* p = reinterpret_cast<const unsigned char*>(pasted.Block.constData());
        const quint32 declared = (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
        // Another program may have put a shorter block under the same name.
        pasted.Offset = 4;
        pasted.Count = qsizetype(std::min<quint64>(declared, quint64(pasted.Block.size() - 4)));
        return pasted;
    }
    pasted.Block = pData->data(TextMimeType);
    const qsizetype end = pasted.Block.indexOf('\0');
    pasted.Count = end < 0 ? pasted.Block.size() : end;
    return pasted;
}

void SetClipboardBlockLimit(long long limit)
{
    blockLimit = limit;
}

bool AllocateClipboardBlock(QByteArray& block, long long size)
{
    if (blockLimit >= 0 && size > blockLimit)
        return false;
    try {
        block = QByteArray(qsizetype(size), '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    return block.size() == size;
}

bool CBytelonView::CopySelectionToClipboard()
{
    EndReplaceAllPass();
    CWaitCursor wait;
    if (!SelActive)
        return false;
    const int n = std::abs(SelEnd - SelAnchor);
    const int lo = std::min(SelAnchor, SelEnd);
    QByteArray privateBlock;
    QByteArray textBlock;
    if (!AllocateClipboardBlock(privateBlock, n + 4LL) || !AllocateClipboardBlock(textBlock, n + 4LL)) {
        AfxMessageBox(IDS_GLOBALALLOC_FAILED);
        return false;
    }
    CBytelonDoc* pDocument = GetDocument();
    CFile& work = pDocument->WorkFile;
    if (!work.Open(pDocument->WorkFileName, CFile::modeRead | CFile::shareExclusive)) {
        AfxMessageBox(IDS_COPY_CLIPBOARD_OPEN);
        return false;
    }
    if (work.Seek(lo, CFile::begin) != lo) {
        work.Close();
        AfxMessageBox(IDS_SEEK_FAILED);
        return false;
    }
    auto* p = reinterpret_cast<unsigned char*>(privateBlock.data());
    p[0] = static_cast<unsigned char>(quint32(n) >> 24);
    p[1] = static_cast<unsigned char>(quint32(n) >> 16);
    p[2] = static_cast<unsigned char>(quint32(n) >> 8);
    p[3] = static_cast<unsigned char>(quint32(n));
    UINT got = 0;
    try {
        got = work.Read(p + 4, UINT(n));
    } catch (const CFileException& e) {
        work.Close();
        e.ReportError();
        return false;
    }
    if (got < UINT(n)) {
        work.Close();
        AfxMessageBox(IDS_READ_FAILED);
        return false;
    }
    // The text is the bytes without their zeros; its length ends it.
    char* out = textBlock.data();
    qsizetype k = 0;
    for (const unsigned char* in = p + 4; in != p + 4 + n; ++in) {
        if (*in != 0)
            out[k++] = char(*in);
    }
    textBlock.truncate(k);

    QClipboard* pClipboard = QGuiApplication::clipboard();
    if (!pClipboard) {
        work.Close();
        AfxMessageBox(IDS_OPENCLIPBOARD_FAILED);
        return false;
    }
    const QString privateType = BytelonClipboardMimeType();
    auto* pData = new QMimeData;
    pData->setData(privateType, privateBlock);
    pData->setData(TextMimeType, textBlock);
    pClipboard->setMimeData(pData);
    const QMimeData* pNow = pClipboard->mimeData();
    if (!pNow || !pNow->hasFormat(privateType) || !pNow->hasFormat(TextMimeType)) {
        work.Close();
        AfxMessageBox(IDS_SETCLIPBOARDDATA_FAILED);
        return false;
    }
    work.Close();
    return true;
}

void CBytelonView::On_Edit_Copy()
{
    CopySelectionToClipboard();
}

void CBytelonView::On_Edit_Cut()
{
    if (!CopySelectionToClipboard())
        return;
    CPreparedDC dc(this);
    DeleteTheSelection(dc);
}

// Splices the clipboard's bytes in at the caret, in place of the selection,
// the way an insertion does, writing them in chunks straight from the block.
void CBytelonView::On_Edit_Paste()
{
    EndReplaceAllPass();
    CWaitCursor wait;
    QClipboard* pClipboard = QGuiApplication::clipboard();
    const QMimeData* pData = pClipboard ? pClipboard->mimeData() : nullptr;
    if (!OffersPastableData(pData))
        return;
    const CPastedBytes bytes = PastedBytes(pData);
    const int count = int(std::min<qsizetype>(bytes.Count, CDocument::MaxLength));
    CBytelonDoc* pDocument = GetDocument();
    CPreparedDC dc(this);
    int q = 0;
    int total = 0;
    if (count == 0) {
        if (!CInsertion::ClearSelection(this, 0, dc))
            return;
        q = CaretOffset();
    } else {
        CInsertion insertion(this);
        if (insertion.RefuseGrowth(bytes.Count))
            return;
        q = insertion.Offset();
        if (!insertion.SaveTail(IDS_PASTE_TEMP_FAILED, IDS_PASTE_COPY_1))
            return;
        CFile& work = pDocument->WorkFile;
        if (!work.Open(pDocument->WorkFileName, CFile::modeReadWrite | CFile::shareExclusive)) {
            AfxMessageBox(IDS_PASTE_OPEN_FAILED);
            return;
        }
        try {
            while (total < count) {
                const int n = std::min(count - total, PasteChunkSize);
                const long long to = (long long)q + total;
                if (work.Seek(to, CFile::begin) != to) {
                    work.Close();
                    AfxMessageBox(IDS_PASTE_SEEK_2);
                    insertion.Undo();
                    return;
                }
                work.Write(bytes.Data() + total, UINT(n));
                total += n;
            }
        } catch (const CFileException& e) {
            work.Close();
            e.ReportError();
            insertion.Undo();
            return;
        }
        work.Close();
        if (!insertion.PutTailBack(total, IDS_PASTE_COPY_2))
            return;
        insertion.Done(total);
    }
    ScrollTo(std::min(q, TopOffset), -1, dc);
    SetCaretToOffset(q + total, dc);
    Invalidate(true);
    pDocument->SetModifiedFlag(true);
    pDocument->UpdateAllViews(this, 0, nullptr);
}

void CBytelonView::OnUpdate_Edit_Copy(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(SelActive != 0);
}

void CBytelonView::OnUpdate_Edit_Cut(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(SelActive != 0);
}

void CBytelonView::OnUpdate_Edit_Paste(CCmdUI* pCmdUI)
{
    QClipboard* pClipboard = QGuiApplication::clipboard();
    pCmdUI->Enable(OffersPastableData(pClipboard ? pClipboard->mimeData() : nullptr));
}
