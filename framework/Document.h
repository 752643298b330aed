#pragma once
// A document: content with a modified flag, a title and a path, shown by one
// or more views; saved and loaded through Serialize.

#include "framework/Afx.h"
#include "framework/CmdTarget.h"
#include "framework/FileIdentity.h"

#include <QString>

#include <cstdint>
#include <vector>

class CArchive;
struct CReplacementFiles;
class CMultiDocTemplate;
class CView;

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;

    virtual void Serialize(CArchive& ar);
    virtual void DeleteContents();
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const QString& pathName);
    virtual bool OnSaveDocument(const QString& pathName);
    // Destroys every window of the document, then the document itself.
    virtual void OnCloseDocument();
    // Asks "Save changes to %1?"; false when the user cancels or saving fails.
    virtual bool SaveModified();

    virtual void SetModifiedFlag(bool modified = true);
    [[nodiscard]] bool IsModified() const { return Modified; }

    // Calls OnUpdate of every view but the sender.
    void UpdateAllViews(CView* pSender, long hint = 0, void* pHint = nullptr);

    [[nodiscard]] const QString& GetTitle() const { return Title; }
    virtual void SetTitle(const QString& title);
    [[nodiscard]] const QString& GetPathName() const { return PathName; }
    virtual void SetPathName(const QString& pathName, bool addToRecentFiles = true);
    // The identity of the document's file when it was opened or last saved:
    // a file that no longer has it was changed by another program.
    [[nodiscard]] const CFileIdentity& GetFileIdentity() const { return FileIdentity; }
    // A save's files, told before each is made and after each is gone: the
    // temporary file beside the target, or the copy of the target's bytes
    // kept while it is written in place.
    virtual void OnSaveFiles(const CReplacementFiles& files) { Q_UNUSED(files); }
    // The program ends without the user closing the document (a logout, a
    // signal to end): called just before the document is closed.
    virtual void OnSessionEnding() {}

    [[nodiscard]] const std::vector<CView*>& GetViews() const { return Views; }
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    [[nodiscard]] CMultiDocTemplate* GetDocTemplate() const { return pDocTemplate; }

    // Saves to pathName, or asks for a name when it is empty.
    bool DoSave(const QString& pathName, bool replace = true);
    bool DoFileSave();

    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

    // The longest file a document can hold: offsets are signed 32-bit.
    static constexpr std::int64_t MaxLength = 0x7FFFFFFF;

protected:
    // A document taken over from a program that ended without closing it
    // knows its file as that program did.
    void SetFileIdentity(const CFileIdentity& identity) { FileIdentity = identity; }
    // Kept false while the document closes its own windows.
    bool AutoDelete = true;

private:
    friend class CMultiDocTemplate;
    void UpdateFrameTitles();
    static void ShowIdlePrompt();
    // Asks before the document's own file, changed or removed by another
    // program since, is written over; false when the user says No.
    [[nodiscard]] bool ConfirmReplacing(const QString& targetPath) const;

    CMultiDocTemplate* pDocTemplate = nullptr;
    std::vector<CView*> Views;
    QString Title;
    QString PathName;
    CFileIdentity FileIdentity;
    bool Modified = false;
    bool Closing = false;
};
