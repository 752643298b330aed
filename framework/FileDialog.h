#pragma once
// The file open/save dialog behind a replaceable service, so tests can answer it.

#include "framework/Afx.h"

#include <QString>

class QWidget;

enum : DWORD {
    OFN_READONLY = 0x1,
    OFN_OVERWRITEPROMPT = 0x2,
    OFN_HIDEREADONLY = 0x4,
    OFN_FILEMUSTEXIST = 0x1000,
};

struct CFileDialogRequest {
    bool OpenFileDialog = true;
    QString DefaultExt;
    QString FileName;   // initial text of the name box
    DWORD Flags = 0;
    QString Filter;     // "All Files (*.*)|*.*||"
    QString Title;
    QWidget* pParent = nullptr;
};

class CFileDialogService {
public:
    virtual ~CFileDialogService() = default;
    // True with the chosen full path when the user confirms.
    virtual bool Run(const CFileDialogRequest& request, QString& pathName) = 0;
};

void AfxSetFileDialogService(CFileDialogService* pService);  // nullptr: the interactive one

class CFileDialog {
public:
    CFileDialog(bool openFileDialog, const QString& defaultExt = QString(), const QString& fileName = QString(),
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const QString& filter = QString(),
                QWidget* pParent = nullptr);
    // IDOK or IDCANCEL.
    int DoModal();
    [[nodiscard]] QString GetPathName() const { return PathName; }

    CFileDialogRequest Request;

private:
    QString PathName;
};
