#include "framework/FileDialog.h"

#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"

#include <QFileDialog>

namespace {

// "Text (*.txt)|*.txt|All Files (*.*)|*.*||" as Qt name filters.
QStringList QtFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString name = parts[i];
        name.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        result << name;
    }
    return result;
}

class CInteractiveFileDialog final : public CFileDialogService {
public:
    bool Run(const CFileDialogRequest& request, QString& pathName) override
    {
        QFileDialog dialog(request.pParent ? request.pParent : static_cast<QWidget*>(AfxGetMainWnd()));
        dialog.setAcceptMode(request.OpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(request.OpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!request.Title.isEmpty())
            dialog.setWindowTitle(request.Title);
        const QStringList filters = QtFilters(request.Filter);
        if (!filters.isEmpty())
            dialog.setNameFilters(filters);
        if (!request.DefaultExt.isEmpty())
            dialog.setDefaultSuffix(request.DefaultExt);
        QFileDialog::Options options;
        if (request.OpenFileDialog || !(request.Flags & OFN_OVERWRITEPROMPT))
            options |= QFileDialog::DontConfirmOverwrite;
        dialog.setOptions(options);
        // A name made only of wildcards is a filter hint, not a name.
        if (!request.FileName.isEmpty() && !request.FileName.startsWith(QLatin1Char('*')))
            dialog.selectFile(request.FileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        pathName = dialog.selectedFiles().constFirst();
        return true;
    }
};

CInteractiveFileDialog interactiveService;
CFileDialogService* pService = nullptr;

}  // namespace

void AfxSetFileDialogService(CFileDialogService* pNewService)
{
    pService = pNewService;
}

CFileDialog::CFileDialog(bool openFileDialog, const QString& defaultExt, const QString& fileName, DWORD flags,
                         const QString& filter, QWidget* pParent)
{
    Request.OpenFileDialog = openFileDialog;
    Request.DefaultExt = defaultExt;
    Request.FileName = fileName;
    Request.Flags = flags;
    Request.Filter = filter;
    Request.pParent = pParent;
}

int CFileDialog::DoModal()
{
    CFileDialogService* service = pService ? pService : &interactiveService;
    return service->Run(Request, PathName) ? IDOK : IDCANCEL;
}
