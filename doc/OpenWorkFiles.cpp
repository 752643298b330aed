#include "doc/BytelonDoc.h"

#include "framework/DocTemplate.h"

#include <QFileInfo>

bool CBytelonDoc::IsOpenWorkFile(const QString& pathName) const
{
    const QString target = QFileInfo(pathName).canonicalFilePath();
    if (target.isEmpty())
        return false;
    // The work file, and the record, tail and result files named after it.
    auto belongs = [&target](const CBytelonDoc* pDocument) {
        const QString work = QFileInfo(pDocument->WorkFileName).canonicalFilePath();
        return !work.isEmpty() && (target == work || target.startsWith(work + QLatin1Char('.')));
    };
    CMultiDocTemplate* pTemplate = GetDocTemplate();
    if (!pTemplate)
        return belongs(this);
    for (const CDocument* pOther : pTemplate->GetDocuments()) {
        if (belongs(static_cast<const CBytelonDoc*>(pOther)))
            return true;
    }
    return false;
}
