#pragma once
// The document: its bytes live in a private temporary work file, never in
// memory. Loading copies the file in, saving copies it out, and every edit
// changes the work file in place.

#include "doc/DocumentRecord.h"
#include "framework/Document.h"
#include "framework/File.h"

#include <QString>

class COrphan;

class CBytelonDoc : public CDocument {
public:
    CBytelonDoc();
    ~CBytelonDoc() override;

    void Serialize(CArchive& ar) override;
    void DeleteContents() override;
    bool OnNewDocument() override;
    bool OnOpenDocument(const QString& pathName) override;
    // Refuses to write over any open document's work file, and a damaged
    // document over the file it came from.
    bool OnSaveDocument(const QString& pathName) override;
    bool SaveModified() override;
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
    void SetModifiedFlag(bool modified = true) override;
    void SetPathName(const QString& pathName, bool addToRecentFiles = true) override;
    void SetTitle(const QString& title) override;
    // Modified, the document stays on disk for the next start to offer.
    void OnSessionEnding() override;
    // The record names them, so that a later start finishes off a save
    // this program did not live to end.
    void OnSaveFiles(const CReplacementFiles& files) override;

    // Becomes the document an ended program left unsaved: its work file,
    // record and length, titled with its file's path and modified.
    void Recover(COrphan& orphan);

    void On_Edit_Clear_All();
    void OnUpdate_Edit_Clear_All(CCmdUI* pCmdUI);

    // Full path of the work file; empty when it could not be created.
    QString WorkFileName;
    // Beside the work file, locked while the document lives: what a later
    // start needs to offer the document again if this program ends without
    // closing it.
    CDocumentRecord Record;
    // Closed between operations; each operation opens it by WorkFileName.
    CFile WorkFile;
    // The document's content is exactly bytes 0 to DocLen - 1 of the work file.
    int DocLen = 0;

    // Whether pathName names the work file of an open document, this one
    // included, or a file beside it that belongs to it: writing there would
    // change that document behind its back.
    [[nodiscard]] bool IsOpenWorkFile(const QString& pathName) const;

    // An edit failed part-way and the work file could not be put back: says
    // so, and keeps DocLen to the bytes the work file really holds.
    void MarkDamaged();
    // Set by MarkDamaged: the content is no longer the user's file plus the edits.
    bool Damaged = false;

    // A Replace All pass running over this document ends at the last step
    // it found: what is about to read or change the document comes after
    // those steps, as it would between two of them.
    void EndReplaceAllPass();

private:
    void Load(CArchive& ar);
    void Store(CArchive& ar);
    // Copies DocLen bytes from source at sourcePos to target at targetPos,
    // showing firstText, then laterText with the kilobytes copied, for every
    // 65536 bytes, each once those bytes have moved; closes WorkFile.
    void Transfer(CFile& source, std::int64_t sourcePos, CFile& target, std::int64_t targetPos,
                  const QString& firstText, const QString& laterText);
};
