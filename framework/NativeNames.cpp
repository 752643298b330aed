#include "framework/NativeNames.h"

#include "framework/File.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

#include <dirent.h>

namespace {

// Lone surrogates never come from valid UTF-8: they mark the bytes that were not.
constexpr char16_t StrayBase = 0xDC00;

bool IsStray(QChar c)
{
    return c.unicode() >= StrayBase + 0x80 && c.unicode() <= StrayBase + 0xFF;
}

// The length of the valid UTF-8 sequence at bytes[i], or 0.
int SequenceLength(const QByteArray& bytes, qsizetype i)
{
    const auto byte = [&](qsizetype k) { return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u; };
    const unsigned lead = byte(i);
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned least = 0;
    unsigned code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned next = byte(i + k);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are not text.
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

}  // namespace

QString AfxDecodeFileName(const QByteArray& native)
{
    QString name;
    qsizetype start = 0;  // of the run of valid text not yet decoded
    qsizetype i = 0;
    while (i < native.size()) {
        const int length = SequenceLength(native, i);
        if (length > 0) {
            i += length;
            continue;
        }
        name += QString::fromUtf8(native.constData() + start, i - start);
        name += QChar(char16_t(StrayBase + static_cast<unsigned char>(native[i])));
        start = ++i;
    }
    name += QString::fromUtf8(native.constData() + start, native.size() - start);
    return name;
}

bool AfxIsUtf8(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = SequenceLength(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

QString AfxShownFileName(const QString& name)
{
    QString shown;
    for (const QChar c : name) {
        if (IsStray(c))
            shown += QString::asprintf("\\x%02X", unsigned(c.unicode() - StrayBase));
        else
            shown += c;
    }
    return shown;
}

bool CFile::CheckName(const QString& fileName, CFileException* pError)
{
    auto refuse = [&](CFileException::Cause cause) {
        if (pError)
            *pError = CFileException(cause, 0, AfxShownFileName(fileName));
        return false;
    };
    if (std::any_of(fileName.begin(), fileName.end(), IsStray))
        return refuse(CFileException::nameNotText);
    if (!fileName.contains(QChar::ReplacementCharacter))
        return true;
    // A U+FFFD may be a name's own character, or what the toolkit made of a
    // byte that is not UTF-8: the name is used only where no name in its
    // folder that is not UTF-8 reads the same.
    const QStringList parts = fileName.split(QLatin1Char('/'));
    QString folder = fileName.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QStringLiteral(".");
    for (const QString& part : parts) {
        if (part.contains(QChar::ReplacementCharacter)) {
            if (DIR* pDir = ::opendir(QFile::encodeName(folder).constData())) {
                bool misread = false;
                while (const dirent* pEntry = ::readdir(pDir)) {
                    const QByteArray native(pEntry->d_name);
                    if (!AfxIsUtf8(native) && QFile::decodeName(native) == part) {
                        misread = true;
                        break;
                    }
                }
                ::closedir(pDir);
                if (misread)
                    return refuse(CFileException::nameMisread);
            }
        }
        if (!part.isEmpty())
            folder += (folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + part;
    }
    return true;
}
