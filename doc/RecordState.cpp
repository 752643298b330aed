#include "doc/RecordState.h"

#include <QFile>
#include <QList>

namespace {

const QByteArray FirstLine = "BYTELON document record";

// File names are bytes: with line breaks, other control bytes and the
// percent sign percent-encoded, any of them fits on one line, and most stay
// as long as they are.
QByteArray EncodeName(const QString& name)
{
    QByteArray text;
    for (const char c : QFile::encodeName(name)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == '%')
            text += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
        else
            text += c;
    }
    return text;
}

QString DecodeName(const QByteArray& text)
{
    return QFile::decodeName(QByteArray::fromPercentEncoding(text));
}

}  // namespace

QByteArray CRecordState::ToText() const
{
    QByteArray text = FirstLine + '\n';
    auto line = [&text](const char* name, const QByteArray& value) {
        text += name;
        text += ' ';
        text += value;
        text += '\n';
    };
    line("work", EncodeName(WorkName));
    if (!Path.isEmpty())
        line("path", EncodeName(Path));
    line("title", EncodeName(Title));
    line("identity", Identity.ToText().toLatin1());
    line("modified", Modified ? "1" : "0");
    line("length", QByteArray::number(qint64(Length)));
    line("process", QByteArray::number(qint64(ProcessId)));
    line("boot", BootId.toLatin1());
    if (!Save.IsEmpty()) {
        line("save-target", EncodeName(Save.Target));
        if (!Save.Temp.isEmpty())
            line("save-temp", EncodeName(Save.Temp));
        if (!Save.Kept.isEmpty())
            line("save-kept", EncodeName(Save.Kept));
        if (Save.WritingInPlace)
            line("save-in-place", QByteArray::number(qint64(Save.KeptLength)) + ' '
                                      + QByteArray::number(Save.Mode, 8) + ' ' + Save.Original.ToText().toLatin1());
    }
    if (!TailName.isEmpty())
        line("tail", EncodeName(TailName));
    if (!PassName.isEmpty())
        line("pass", EncodeName(PassName));
    if (Edit == EEdit::Restore)
        line("edit", "restore " + QByteArray::number(qint64(EditAt)) + ' ' + QByteArray::number(qint64(EditLength)));
    else if (Edit == EEdit::Move)
        line("edit", "move " + QByteArray::number(qint64(EditAt)) + ' ' + QByteArray::number(qint64(EditRemoved))
                         + ' ' + QByteArray::number(qint64(EditKept)));
    return text;
}

std::optional<CRecordState> CRecordState::FromText(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.front() != FirstLine)
        return std::nullopt;
    CRecordState state;
    for (const QByteArray& entry : lines) {
        const int space = int(entry.indexOf(' '));
        if (space <= 0)
            continue;
        const QByteArray name = entry.left(space);
        const QByteArray value = entry.mid(space + 1);
        if (name == "work")
            state.WorkName = DecodeName(value);
        else if (name == "path")
            state.Path = DecodeName(value);
        else if (name == "title")
            state.Title = DecodeName(value);
        else if (name == "identity")
            state.Identity = CFileIdentity::FromText(QString::fromLatin1(value));
        else if (name == "modified")
            state.Modified = value == "1";
        else if (name == "length")
            state.Length = value.toLongLong();
        else if (name == "process")
            state.ProcessId = value.toLong();
        else if (name == "boot")
            state.BootId = QString::fromLatin1(value);
        else if (name == "save-target")
            state.Save.Target = DecodeName(value);
        else if (name == "save-temp")
            state.Save.Temp = DecodeName(value);
        else if (name == "save-kept")
            state.Save.Kept = DecodeName(value);
        else if (name == "save-in-place") {
            // The length, the mode, then the file's identity.
            const QList<QByteArray> fields = value.split(' ');
            bool lengthOk = false;
            bool modeOk = false;
            state.Save.KeptLength = fields.value(0).toLongLong(&lengthOk);
            state.Save.Mode = fields.value(1).toUInt(&modeOk, 8);
            state.Save.Original = CFileIdentity::FromText(QString::fromLatin1(value.mid(
                int(fields.value(0).size() + fields.value(1).size() + 2))));
            state.Save.WritingInPlace = lengthOk && modeOk && state.Save.KeptLength >= 0 && state.Save.Original.Exists;
        }
        else if (name == "tail")
            state.TailName = DecodeName(value);
        else if (name == "pass")
            state.PassName = DecodeName(value);
        else if (name == "edit") {
            const QList<QByteArray> fields = value.split(' ');
            bool ok = fields.size() >= 3;
            auto number = [&](int i) {
                bool fieldOk = false;
                const qint64 n = i < fields.size() ? fields[i].toLongLong(&fieldOk) : 0;
                ok = ok && fieldOk && n >= 0;
                return std::int64_t(n);
            };
            if (fields.value(0) == "restore" && fields.size() == 3) {
                state.EditAt = number(1);
                state.EditLength = number(2);
                if (ok && state.EditAt <= state.EditLength)
                    state.Edit = EEdit::Restore;
            } else if (fields.value(0) == "move" && fields.size() == 4) {
                state.EditAt = number(1);
                state.EditRemoved = number(2);
                state.EditKept = number(3);
                if (ok && state.EditKept <= state.EditRemoved)
                    state.Edit = EEdit::Move;
            }
        }
    }
    // A name that leads out of the folder is no work file of ours.
    if (state.WorkName.isEmpty() || state.WorkName.contains(QLatin1Char('/')) || state.TailName.contains('/')
        || state.PassName.contains(QLatin1Char('/')))
        return std::nullopt;
    return state;
}
