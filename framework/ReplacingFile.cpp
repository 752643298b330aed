#include "framework/ReplacingFile.h"

#include "framework/TempFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

CReplacingFile::CReplacingFile(const QString& targetName)
{
    const QFileInfo target(targetName);
    Target = target.exists() ? target.canonicalFilePath() : target.absoluteFilePath();
}

CReplacingFile::~CReplacingFile()
{
    File.Close();
    if (!Committed && !Temp.isEmpty()) {
        CFile::Remove(Temp);
        if (OnTemporary)
            OnTemporary(QString());
    }
}

bool CReplacingFile::Create()
{
    CFileException error;
    if (!CFile::CheckRegular(Target, &error)) {
        error.ReportError();
        return false;
    }
    const QFileInfo target(Target);
    const QString prefix = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.');
    // The name is chosen, and told, before the file exists.
    for (int attempt = 0; Temp.isEmpty(); ++attempt) {
        const QString name = prefix + AfxUniqueSuffix();
        if (OnTemporary)
            OnTemporary(name);
        CFileException error;
        if (AfxCreateNewFile(name, &error)) {
            Temp = name;
            break;
        }
        if (error.OsError != EEXIST || attempt >= 100) {
            if (OnTemporary)
                OnTemporary(QString());
            CFileException(error.TheCause, error.OsError, Target).ReportError();
            return false;
        }
    }
    File.SetReportedName(Target);
    return true;
}

bool CReplacingFile::Commit()
{
    try {
        CFileException error;
        if (!File.IsOpen() && !File.Open(Temp, CFile::modeReadWrite | CFile::shareExclusive, &error))
            throw error;
        File.Flush();
    } catch (const CFileException& error) {
        File.Close();
        error.ReportError();
        return false;
    }
    File.Close();
    QFile::setPermissions(Temp, QFileInfo::exists(Target) ? QFile::permissions(Target)
                                                          : (QFile::ReadOwner | QFile::WriteOwner
                                                             | QFile::ReadGroup | QFile::ReadOther));
    CFileException error;
    if (!CFile::Rename(Temp, Target, &error)) {
        error.ReportError();
        return false;
    }
    Committed = true;
    if (OnTemporary)
        OnTemporary(QString());
    return true;
}
