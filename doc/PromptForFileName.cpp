#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "framework/DocTemplate.h"
#include "framework/FileDialog.h"
#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"

bool CBytelonView::PromptForFileName(bool open, QString& pathName)
{
    QString extension;
    if (CMultiDocTemplate* pTemplate = GetDocument()->GetDocTemplate())
        extension = pTemplate->GetDocString(CMultiDocTemplate::filterExt);
    if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    CFileDialog dialog(open, extension, QStringLiteral("*.") + extension, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       QStringLiteral("All Files (*.*)|*.*||"), AfxGetMainWnd());
    if (dialog.DoModal() != IDOK)
        return false;
    pathName = dialog.GetPathName();
    return true;
}
