#pragma once
// Binds a document class, the MDI child frame and a view class under one
// resource identifier (the document menu and the document-type string).

#include "framework/Afx.h"
#include "framework/CmdTarget.h"

#include <QString>

#include <functional>
#include <vector>

class CDocument;
class CMDIChildWnd;
class CView;

class CMultiDocTemplate : public CCmdTarget {
public:
    using DocumentFactory = std::function<CDocument*()>;
    using ViewFactory = std::function<CView*()>;

    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };

    CMultiDocTemplate(UINT idResource, DocumentFactory makeDocument, ViewFactory makeView);
    ~CMultiDocTemplate() override;

    [[nodiscard]] UINT GetResourceId() const { return ResourceId; }
    [[nodiscard]] QString GetDocString(DocStringIndex index) const;

    // An empty path makes a new, untitled document. Null on failure.
    CDocument* OpenDocumentFile(const QString& pathName, bool makeVisible = true);
    // A new document, as File New makes it, that prepare fills before its
    // first window shows it; false from prepare closes it again. Null on failure.
    CDocument* OpenPreparedDocument(const std::function<bool(CDocument*)>& prepare, bool makeVisible = true);
    // Another window on an open document.
    CMDIChildWnd* CreateNewFrame(CDocument* pDocument);
    void InitialUpdateFrame(CMDIChildWnd* pFrame, CDocument* pDocument, bool makeVisible = true);

    [[nodiscard]] const std::vector<CDocument*>& GetDocuments() const { return Documents; }
    [[nodiscard]] CDocument* FindOpenDocument(const QString& pathName) const;
    void AddDocument(CDocument* pDocument);
    void RemoveDocument(CDocument* pDocument);

private:
    CDocument* OpenDocument(const QString& pathName, const std::function<bool(CDocument*)>& prepare,
                            bool makeVisible);

    UINT ResourceId;
    DocumentFactory MakeDocument;
    ViewFactory MakeView;
    std::vector<CDocument*> Documents;
    int UntitledCount = 0;
};
