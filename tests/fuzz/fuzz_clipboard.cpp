// Pasting any clipboard block, well formed or not (short, malformed, with a
// forged count), into a document: the work file always holds what a plain
// model of the paste says, and DocLen agrees with it.
// Input: one byte choosing the format and where the paste goes, then the block.

#include "FuzzProgram.h"

#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "doc/Clipboard.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include <cstdint>

namespace {

// What a paste inserts: the private block's bytes after its count, no more
// than the count says nor than are there; text up to its first zero byte.
QByteArray ModelPasted(const QByteArray& block, bool privateFormat)
{
    if (!privateFormat)
        return block.left(block.indexOf('\0') < 0 ? block.size() : block.indexOf('\0'));
    if (block.size() < 4)
        return QByteArray();
    quint64 declared = 0;
    for (int i = 0; i < 4; ++i)
        declared = declared * 256 + quint8(block[i]);
    return block.mid(4, qsizetype(std::min<quint64>(declared, quint64(block.size() - 4))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CProgram& program = FuzzProgram();
    if (size == 0)
        return 0;
    const bool privateFormat = (data[0] & 1) != 0;
    const QByteArray block(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QByteArray original = Pattern(300 + data[0]);
    // The caret, or a selection, somewhere in the document.
    const int anchor = (data[0] >> 1) * int(original.size()) / 127;
    const int end = (data[0] & 2) ? std::min<int>(anchor + 17, int(original.size())) : anchor;

    // One document for the whole run, its work file set to each input's start.
    static CBytelonView* pView = program.OpenFocused(QByteArray("x"));
    Require(pView != nullptr, "the document opens");
    CBytelonDoc* pDocument = pView->GetDocument();
    QFile start(pDocument->WorkFileName);
    Require(start.open(QIODevice::WriteOnly | QIODevice::Truncate) && start.write(original) == original.size(),
            "the work file can be set");
    start.close();
    pDocument->DocLen = int(original.size());
    pDocument->SetModifiedFlag(false);
    pView->SelActive = 0;
    MoveCaretTo(pView, 0);
    if (anchor == end)
        MoveCaretTo(pView, anchor);
    else
        SelectBytes(pView, anchor, end);
    auto* pData = new QMimeData;
    pData->setData(privateFormat ? BytelonClipboardMimeType() : QStringLiteral("text/plain"), block);
    QGuiApplication::clipboard()->setMimeData(pData);
    program.Messages.Texts.clear();

    program.Frame()->ExecuteCommand(ID_EDIT_PASTE);

    const QByteArray pasted = ModelPasted(block, privateFormat);
    QByteArray expected = original;
    expected.replace(std::min(anchor, end), std::abs(end - anchor), pasted);
    const QByteArray work = CProgram::WorkFileBytes(pDocument);
    Require(work == expected, "the work file holds the model's bytes");
    Require(pDocument->DocLen == work.size(), "DocLen agrees with the work file");
    // Off the screen the caret stops at its edge, as SetCaretToOffset does.
    Require(pView->CaretOffset() == std::min<qsizetype>(std::min(anchor, end) + pasted.size(), pView->BottomOffset + 1),
            "the caret follows the pasted bytes");
    Require(program.Messages.Texts.isEmpty(), "a paste within limits reports nothing");
    Require(pDocument->IsModified(), "a paste marks the document modified");
    return 0;
}
