#pragma once
// Drives the program in-process for tests: a profile in a temporary folder,
// scripted message boxes and file dialogs, documents opened from bytes, and
// helpers to read a document's work file and the status bar.

#include "framework/File.h"
#include "framework/FileDialog.h"
#include "framework/MessageBox.h"

#include <QByteArray>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CBytelonApp;
class CBytelonDoc;
class CBytelonView;
class CDocument;
class CMainFrame;
class QWidget;

// Records every message box and answers from a script (then a neutral default).
class CMessageRecorder : public CMessageBoxService {
public:
    int Show(const QString& text, UINT type) override;

    QStringList Texts;
    std::deque<int> Answers;
};

// Answers file dialogs with scripted paths; an empty path cancels.
class CFileDialogScript : public CFileDialogService {
public:
    bool Run(const CFileDialogRequest& request, QString& pathName) override;

    std::deque<QString> Paths;
    std::vector<CFileDialogRequest> Requests;
};

// An environment variable set (or, with an empty value, unset) while it lives.
class CEnvironmentGuard {
public:
    CEnvironmentGuard(const char* name, const QString& value);
    ~CEnvironmentGuard();
    CEnvironmentGuard(const CEnvironmentGuard&) = delete;
    CEnvironmentGuard& operator=(const CEnvironmentGuard&) = delete;

private:
    const char* Name;
    QByteArray Saved;
    bool WasSet;
};

// One running program with its own profile and temporary folder, and its own
// work folder when TMPDIR is not set: nothing another test or the user left
// behind is offered to it for recovery.
class CProgram {
public:
    // The clock reads seconds 10 unless given, so no About box appears.
    explicit CProgram(int clockSeconds = 10, bool start = true);
    ~CProgram();
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    bool Start();
    // Ends the program as its exit would: closes the main window and
    // destroys the application object, writing the settings.
    void Exit();

    [[nodiscard]] CBytelonApp* App() const { return pApp.get(); }
    [[nodiscard]] CMainFrame* Frame() const;
    [[nodiscard]] QString Dir() const { return Folder.path(); }
    [[nodiscard]] QString ProfileFile() const;

    // A file in the temporary folder holding the bytes.
    QString MakeFile(const QString& name, const QByteArray& bytes) const;
    CBytelonDoc* Open(const QString& path);
    CBytelonView* OpenBytes(const QByteArray& bytes, const QString& name = QStringLiteral("data.bin"));
    // OpenBytes, then ShowLines (unless lines is 0) and Focus.
    CBytelonView* OpenFocused(const QByteArray& bytes, int lines = 0);
    [[nodiscard]] static CBytelonView* ViewOf(CBytelonDoc* pDocument, int index = 0);
    [[nodiscard]] static QByteArray WorkFileBytes(const CBytelonDoc* pDocument);
    [[nodiscard]] QString PaneText(int pane) const;
    [[nodiscard]] CBytelonDoc* ActiveDocument() const;
    // The open documents, oldest first.
    [[nodiscard]] std::vector<CDocument*> Documents() const;

    CMessageRecorder Messages;
    CFileDialogScript FileDialogs;
    int ClockSeconds;
    // The command line Start gives the program: by default none but its name,
    // whatever the test executable itself was given.
    QStringList Arguments{QStringLiteral("bytelon")};

private:
    QTemporaryDir Folder;
    CEnvironmentGuard StateHome{"XDG_STATE_HOME", Folder.path() + QStringLiteral("/state")};
    std::unique_ptr<CBytelonApp> pApp;
};

// Points the system's temporary directory at a private folder while it
// lives, so a test sees exactly which work and tail files the program makes
// and leaves behind.
class CPrivateTempDir {
public:
    CPrivateTempDir();
    ~CPrivateTempDir();
    CPrivateTempDir(const CPrivateTempDir&) = delete;
    CPrivateTempDir& operator=(const CPrivateTempDir&) = delete;

    [[nodiscard]] QString Path() const { return Folder.path(); }
    // Names of the files in it that start with prefix.
    [[nodiscard]] QStringList Files(const QString& prefix = QStringLiteral("BYT")) const;

private:
    QTemporaryDir Folder;
    QByteArray SavedTmpDir;
    bool HadTmpDir;
};

// The names of the files an open document with that work file keeps in the
// work folder between operations: the work file and its record.
[[nodiscard]] QStringList DocumentFiles(const QString& workFile);

// n bytes counting up from 0, wrapping after 0xFF.
QByteArray Counting(int n);
// n bytes that do not repeat every 256, so a chunk put in the wrong place shows.
QByteArray Pattern(int n, int seed = 0);
// How long a seeded randomized driver runs: the first seed, how many seeds
// and how many steps each. BYTELON_SEED, BYTELON_SEEDS and BYTELON_STEPS in
// the environment override the defaults, so a soak run drives the same tests
// far longer than the suite does.
struct CRandomRuns {
    unsigned FirstSeed;
    int Seeds;
    int Steps;
};
[[nodiscard]] CRandomRuns RandomRuns(unsigned defaultFirstSeed, int defaultSeeds, int defaultSteps);

// The file's bytes, or "<unreadable>".
QByteArray FileBytes(const QString& path);
// Makes bytes the whole of the file, failing the test when it cannot.
void WriteFile(const QString& path, const QByteArray& bytes);

// Makes the writes the fault picks fail as on a full disk while it lives.
class CWriteFaultGuard {
public:
    explicit CWriteFaultGuard(CFile::WriteFault fault) { CFile::SetWriteFault(std::move(fault)); }
    ~CWriteFaultGuard() { CFile::SetWriteFault(nullptr); }
    CWriteFaultGuard(const CWriteFaultGuard&) = delete;
    CWriteFaultGuard& operator=(const CWriteFaultGuard&) = delete;
};

// Makes the reads the fault picks fail as on an I/O error while it lives;
// reads made by paints are left alone, as how many come depends on timing.
class CReadFaultGuard {
public:
    explicit CReadFaultGuard(CFile::ReadFault fault);
    ~CReadFaultGuard() { CFile::SetReadFault(nullptr); }
    CReadFaultGuard(const CReadFaultGuard&) = delete;
    CReadFaultGuard& operator=(const CReadFaultGuard&) = delete;
};

// Replace All in small blocks, at most blocksPerSlice of them per slice (0:
// no limit), so that small documents span several blocks and slices.
void ReplaceAllInSmallBlocks(CProgram& program, int blockSize, int blocksPerSlice);
// Off: Replace All runs every step on its own, as the design's loop does,
// for the streaming passes to be compared with.
void ReplaceAllStreaming(CProgram& program, bool on);
// The document's own bytes go into a pass's result in pieces this large.
void ReplaceAllCopyPieces(CProgram& program, std::int64_t pieceSize);

// Lowers a soft resource limit of this process while it lives.
class CResourceLimit {
public:
    using Resource = decltype(RLIMIT_FSIZE);
    CResourceLimit(Resource resource, rlim_t limit);
    ~CResourceLimit();
    CResourceLimit(const CResourceLimit&) = delete;
    CResourceLimit& operator=(const CResourceLimit&) = delete;
    bool Set = false;

private:
    Resource Which;
    rlimit Saved {};
};

// Takes every descriptor the process may still open, as when they have run out.
class CDescriptorsTaken {
public:
    CDescriptorsTaken();
    ~CDescriptorsTaken();
    CDescriptorsTaken(const CDescriptorsTaken&) = delete;
    CDescriptorsTaken& operator=(const CDescriptorsTaken&) = delete;

private:
    static rlim_t HighestOpen();
    CResourceLimit Limit;
    std::vector<int> Taken;
};

// Shows every message box for real while it lives, as the user meets it,
// and answers each with a key press on the box (Return), recording its
// text. Boxes past the first `most` are closed without any input, so that
// a run that keeps showing boxes still ends.
class CRealBoxes {
public:
    explicit CRealBoxes(CProgram& program, int most = 4);
    ~CRealBoxes();
    CRealBoxes(const CRealBoxes&) = delete;
    CRealBoxes& operator=(const CRealBoxes&) = delete;

    QStringList Texts;

private:
    void Answer();

    CProgram& Program;
    int Most;
    std::unique_ptr<QTimer> Timer;
    QPointer<QWidget> Answered;
};

// Whether the command reaches a handler that enables it.
bool CommandEnabled(const CProgram& program, UINT id);
// Whether the command's menu item is enabled once updated, as the menu shows it.
bool MenuItemEnabled(const CProgram& program, UINT id);

// Lets posted events, deferred deletions and idle work run.
void ProcessEvents(int rounds = 3);
// Runs action on the next modal dialog to appear.
void WhenModal(const std::function<void(QWidget*)>& action);
// Gives the view the keyboard focus as a click would.
void Focus(CBytelonView* pView);
// Holds or releases Shift for the code that reads the key state itself.
// Ctrl is held for it as the key events a test sends say, wherever they go,
// as a keyboard would: releasing Ctrl inside a dialog releases it for all.
void SetShiftHeld(bool held);
// The left button and the pointer's screen position as code that polls them sees them.
void SetLeftButtonHeld(bool held);
void SetCursorScreenPos(QPoint position);
// Opens a second window on the view's document and tiles the two side by
// side, so that each shows on screen what it paints; returns the new view.
CBytelonView* OpenSecondWindow(CProgram& program, CBytelonView* pView);

class QLineEdit;
// The ways text reaches an edit box other than typing it.
enum class CTextRoute { CtrlV, ShiftInsert, MenuPaste, Drop };
// Puts text into the box by that route: from the clipboard, or dropped on it.
void PutTextThrough(QLineEdit* pEntry, CTextRoute route, const QString& text);

#include "framework/DC.h"

#include <QLine>
#include <QRect>

class QPaintDevice;

// A context that records the texts and lines drawn on it and draws nothing.
class CRecordingDC : public CDC {
public:
    struct CText {
        QPoint At;
        QString Text;
    };
    // clip: the device rectangle to draw, as a paint of that region would.
    CRecordingDC(QWidget* pWindow, const QRect& clip);
    // A printer context, in the printer's units and metrics.
    explicit CRecordingDC(QPaintDevice* pPrinter);

    bool TextOut(int x, int y, const QString& text) override;
    bool TextOutCells(int x, int y, const QString& text, float cellWidth) override;
    bool LineTo(int x, int y) override;
    void InvertRect(const QRect& rect) override;

    // The texts drawn at y, left to right.
    [[nodiscard]] QStringList TextsAt(int y) const;
    // What the view draws on the whole of its window.
    [[nodiscard]] static std::unique_ptr<CRecordingDC> OfView(CBytelonView* pView);

    std::vector<CText> Texts;
    std::vector<QLine> Lines;
};

class QImage;
class QRegion;

// Makes the view show `lines` data lines by sizing its frame.
void ShowLines(CBytelonView* pView, int lines);
// The device rectangles of the selected bytes now on screen, as InvertRange covers them.
QRegion SelectedCells(CBytelonView* pView);
// Counts pixels that break "inverted inside the region, unchanged outside".
int InversionMismatches(const QImage& plain, const QImage& shown, const QRegion& inverted);
// The view's pixels once pending paints are done.
QImage Grab(CBytelonView* pView);

// The width of a character cell measured afresh from the view's font, as
// the design measures it: the extent of 32 characters divided by 32.
[[nodiscard]] float MeasuredCharWidth(CBytelonView* pView);
// What the window shows, read from the addresses and bytes it draws: the
// offset before which its caret stands, and one past the last byte drawn.
struct CShownOffsets {
    long long Caret = -1;
    long long End = -1;
};
[[nodiscard]] CShownOffsets ShownOffsets(CBytelonView* pView);

// Runs op with the view's prepared context, as the view's own operations get it.
void WithPreparedDC(CBytelonView* pView, const std::function<void(CDC*)>& op);
// Puts the caret before the byte at offset as SetCaretToOffset does: no
// scrolling (an offset off the screen is clamped to it), the selection kept.
void PlaceCaret(CBytelonView* pView, int offset);
// Puts the caret before the byte at offset, scrolling it into view, as a
// move without Shift does through the view's own operations.
void MoveCaretTo(CBytelonView* pView, int offset);
// (SelAnchor, SelEnd), to compare in one go.
[[nodiscard]] std::pair<int, int> Selection(const CBytelonView* pView);
// (CaretRow, CaretColumn), to compare in one go.
[[nodiscard]] std::pair<int, int> CaretCell(const CBytelonView* pView);
// Selects from anchor to end as a Shift move from anchor to end would.
void SelectBytes(CBytelonView* pView, int anchor, int end);
// The view's pixels as the window shows them: unlike Grab, which paints the
// whole view afresh, this sees cells that no paint has updated.
QImage ScreenPixels(CBytelonView* pView);
// Pixels of the window that break "the plain view, inverted over the selected
// cells (SelectedCells) and nowhere else"; 0 when the screen shows the selection.
int SelectionMismatchesOnScreen(CBytelonView* pView);
