#pragma once
// The program's clipboard blocks: the private format carries a four-byte
// most-significant-first count and the bytes; the text format carries the
// bytes without their zeros.

#include <QByteArray>
#include <QString>

class QMimeData;

// The MIME type the private format "CF_BYTELON" travels as.
[[nodiscard]] QString BytelonClipboardMimeType();
// What a paste inserts from the clipboard's data: the private block's bytes
// when it is offered (only as many as are present, whatever the count says),
// otherwise the text up to its first zero byte. Points into Block.
struct CPastedBytes {
    QByteArray Block;
    qsizetype Offset = 0;
    qsizetype Count = 0;
    [[nodiscard]] const char* Data() const { return Block.constData() + Offset; }
};
[[nodiscard]] CPastedBytes PastedBytes(const QMimeData* pData);
// Whether the clipboard data offers the private format or text.
[[nodiscard]] bool OffersPastableData(const QMimeData* pData);

// Introspection for tests: a clipboard block larger than limit bytes fails
// to allocate, as when memory runs out. Negative: no limit.
void SetClipboardBlockLimit(long long limit);
// A zero-filled block of size bytes, or false when memory runs out.
[[nodiscard]] bool AllocateClipboardBlock(QByteArray& block, long long size);
