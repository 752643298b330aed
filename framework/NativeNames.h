#pragma once
// File names as the system holds them: bytes, which need not be UTF-8 text.
// The toolkit decodes a name that is not UTF-8 lossily, into the name of a
// different file (each stray byte becomes U+FFFD), so such a name is carried
// here with each stray byte kept as a lone surrogate, U+DC00 plus the byte,
// and refused (CFile::CheckName) before any file is reached by it.

#include <QByteArray>
#include <QString>

// The text of a name's bytes; bytes that are not part of valid UTF-8 are kept
// as U+DC80 to U+DCFF.
[[nodiscard]] QString AfxDecodeFileName(const QByteArray& native);
// Whether the bytes are valid UTF-8 text.
[[nodiscard]] bool AfxIsUtf8(const QByteArray& bytes);
// The name as messages show it: each kept stray byte as \xFF.
[[nodiscard]] QString AfxShownFileName(const QString& name);
