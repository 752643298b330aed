#include "doc/BytelonDoc.h"

#include "framework/DocTemplate.h"

#include <QFileInfo>

bool CBytelonDoc::IsOpenWorkFile(const QString& pathName) const
{
    const QString target = QFileInfo(pathName).canonicalFilePath();
    if (target.isEmpty())
        return false;
    CMultiDocTemplate* pTemplate = GetDocTemplate();
    if (!pTemplate)
        return QFileInfo(WorkFileName).canonicalFilePath() == target;
    for (const CDocument* pOther : pTemplate->GetDocuments()) {
        const auto* pBytelonDoc = static_cast<const CBytelonDoc*>(pOther);
        if (QFileInfo(pBytelonDoc->WorkFileName).canonicalFilePath() == target)
            return true;
    }
    return false;
}
