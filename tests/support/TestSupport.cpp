#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/CmdTarget.h"
#include "framework/CursorPos.h"
#include "framework/DC.h"
#include "framework/MDIChildWnd.h"
#include "framework/DocTemplate.h"
#include "framework/AfxRes.h"
#include "framework/VirtualKeys.h"
#include "search/ReplaceAllLimits.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QImage>
#include <QRegion>
#include <QDir>
#include <QScreen>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace {
bool shiftHeld = false;
bool ctrlHeld = false;
bool leftButtonHeld = false;
QPoint cursorScreenPos;
bool TestKeyState(UINT vk)
{
    return (vk == VK_SHIFT && shiftHeld) || (vk == VK_CONTROL && ctrlHeld) || (vk == VK_LBUTTON && leftButtonHeld);
}
// The keyboard's Ctrl key follows the key events a test sends, wherever they go.
class CKeyboard final : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* pEvent) override
    {
        if ((pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::KeyRelease)
            && static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Control)
            ctrlHeld = pEvent->type() == QEvent::KeyPress;
        return false;
    }
};
QPoint TestCursorPos()
{
    return cursorScreenPos;
}
}  // namespace

int CMessageRecorder::Show(const QString& text, UINT type)
{
    Texts << text;
    if (!Answers.empty()) {
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    return AfxNeutralAnswer(type);
}

bool CFileDialogScript::Run(const CFileDialogRequest& request, QString& pathName)
{
    Requests.push_back(request);
    if (Paths.empty())
        return false;
    pathName = Paths.front();
    Paths.pop_front();
    return !pathName.isEmpty();
}

CEnvironmentGuard::CEnvironmentGuard(const char* name, const QString& value)
    : Name(name), Saved(qgetenv(name)), WasSet(qEnvironmentVariableIsSet(name))
{
    if (value.isEmpty())
        qunsetenv(name);
    else
        qputenv(name, QFile::encodeName(value));
}

CEnvironmentGuard::~CEnvironmentGuard()
{
    if (WasSet)
        qputenv(Name, Saved);
    else
        qunsetenv(Name);
}

CProgram::CProgram(int clockSeconds, bool start) : ClockSeconds(clockSeconds)
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Folder.path() + QStringLiteral("/profile"));
    AfxSetMessageBoxService(&Messages);
    AfxSetFileDialogService(&FileDialogs);
    AfxSetKeyStateProvider(TestKeyState);
    AfxSetCursorPosProvider(TestCursorPos);
    static CKeyboard keyboard;
    qApp->installEventFilter(&keyboard);
    QApplication::setCursorFlashTime(0);
    if (start)
        Start();
}

CProgram::~CProgram()
{
    Exit();
    AfxSetMessageBoxService(nullptr);
    AfxSetFileDialogService(nullptr);
    AfxSetKeyStateProvider(nullptr);
    AfxSetCursorPosProvider(nullptr);
    shiftHeld = false;
    ctrlHeld = false;
    leftButtonHeld = false;
    cursorScreenPos = QPoint();
}

bool CProgram::Start()
{
    pApp = std::make_unique<CBytelonApp>();
    const int seconds = ClockSeconds;
    pApp->Clock = [seconds] { return QTime(12, 0, seconds); };
    pApp->SetCommandLine(Arguments);
    const bool started = pApp->InitInstance();
    ProcessEvents();
    return started;
}

void CProgram::Exit()
{
    if (!pApp)
        return;
    if (CMainFrame* pFrame = Frame()) {
        pFrame->close();
        ProcessEvents();
    }
    pApp.reset();
    ProcessEvents();
}

CMainFrame* CProgram::Frame() const
{
    return pApp ? static_cast<CMainFrame*>(pApp->pMainWnd) : nullptr;
}

QString CProgram::ProfileFile() const
{
    return Folder.path() + QStringLiteral("/profile/Corvane Systems/BYTELON.ini");
}

QString CProgram::MakeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = Folder.path() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

CBytelonDoc* CProgram::Open(const QString& path)
{
    auto* pDocument = static_cast<CBytelonDoc*>(pApp->OpenDocumentFile(path));
    ProcessEvents();
    return pDocument;
}

CBytelonView* CProgram::OpenBytes(const QByteArray& bytes, const QString& name)
{
    CBytelonDoc* pDocument = Open(MakeFile(name, bytes));
    return pDocument ? ViewOf(pDocument) : nullptr;
}

CBytelonView* CProgram::OpenFocused(const QByteArray& bytes, int lines)
{
    CBytelonView* pView = OpenBytes(bytes);
    if (pView && lines > 0)
        ShowLines(pView, lines);
    if (pView)
        Focus(pView);
    return pView;
}

CBytelonView* CProgram::ViewOf(CBytelonDoc* pDocument, int index)
{
    return static_cast<CBytelonView*>(pDocument->GetViews().at(std::size_t(index)));
}

QByteArray CProgram::WorkFileBytes(const CBytelonDoc* pDocument)
{
    QFile file(pDocument->WorkFileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString CProgram::PaneText(int pane) const
{
    CMainFrame* pFrame = Frame();
    return pFrame ? pFrame->StatusBar.GetPaneText(pane) : QString();
}

CBytelonDoc* CProgram::ActiveDocument() const
{
    return static_cast<CBytelonDoc*>(Frame()->GetActiveDocument());
}

CPrivateTempDir::CPrivateTempDir()
    : SavedTmpDir(qgetenv("TMPDIR")), HadTmpDir(qEnvironmentVariableIsSet("TMPDIR"))
{
    qputenv("TMPDIR", QFile::encodeName(Folder.path()));
}

CPrivateTempDir::~CPrivateTempDir()
{
    if (HadTmpDir)
        qputenv("TMPDIR", SavedTmpDir);
    else
        qunsetenv("TMPDIR");
}

QStringList CPrivateTempDir::Files(const QString& prefix) const
{
    return QDir(Folder.path()).entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
}

std::vector<CDocument*> CProgram::Documents() const
{
    return pApp->GetDocTemplates().front()->GetDocuments();
}

QStringList DocumentFiles(const QString& workFile)
{
    const QString name = QFileInfo(workFile).fileName();
    return {name, name + QStringLiteral(".record")};
}

QByteArray Counting(int n)
{
    QByteArray bytes(n, '\0');
    for (int i = 0; i < n; ++i)
        bytes[i] = char(i & 0xFF);
    return bytes;
}

QByteArray Pattern(int n, int seed)
{
    QByteArray bytes(n, '\0');
    for (int i = 0; i < n; ++i)
        bytes[i] = char((i * 7 + seed + i / 251) & 0xFF);
    return bytes;
}

CRandomRuns RandomRuns(unsigned defaultFirstSeed, int defaultSeeds, int defaultSteps)
{
    auto fromEnvironment = [](const char* name, long long fallback, long long least) {
        bool ok = false;
        const long long value = qEnvironmentVariable(name).toLongLong(&ok);
        return ok && value >= least ? value : fallback;
    };
    return {unsigned(fromEnvironment("BYTELON_SEED", defaultFirstSeed, 0)),
            int(std::min<long long>(fromEnvironment("BYTELON_SEEDS", defaultSeeds, 1), 1 << 20)),
            int(std::min<long long>(fromEnvironment("BYTELON_STEPS", defaultSteps, 1), 1 << 24))};
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

void ReplaceAllInSmallBlocks(CProgram& program, int blockSize, int blocksPerSlice)
{
    const CReplaceAllLimits before = program.App()->GetReplaceAllLimits();
    CReplaceAllLimits limits = blockSize > 0 ? CReplaceAllLimits::Small(blockSize, blocksPerSlice) : CReplaceAllLimits();
    limits.BlocksPerSlice = blocksPerSlice;
    limits.Streaming = before.Streaming;
    limits.CopyPieceSize = before.CopyPieceSize;
    program.App()->SetReplaceAllLimits(limits);
}

CReadFaultGuard::CReadFaultGuard(CFile::ReadFault fault)
{
    CFile::SetReadFault([fault](const QString& path, std::int64_t pos, UINT count) {
        return !CPaintDC::IsPainting() && fault(path, pos, count);
    });
}

void ReplaceAllCopyPieces(CProgram& program, std::int64_t pieceSize)
{
    CReplaceAllLimits limits = program.App()->GetReplaceAllLimits();
    limits.CopyPieceSize = pieceSize;
    program.App()->SetReplaceAllLimits(limits);
}

void ReplaceAllStreaming(CProgram& program, bool on)
{
    CReplaceAllLimits limits = program.App()->GetReplaceAllLimits();
    limits.Streaming = on;
    program.App()->SetReplaceAllLimits(limits);
}

CResourceLimit::CResourceLimit(Resource resource, rlim_t limit) : Which(resource)
{
    getrlimit(resource, &Saved);
    rlimit lowered = Saved;
    lowered.rlim_cur = limit;
    Set = setrlimit(resource, &lowered) == 0;
}

CResourceLimit::~CResourceLimit()
{
    setrlimit(Which, &Saved);
}

CDescriptorsTaken::CDescriptorsTaken() : Limit(RLIMIT_NOFILE, HighestOpen() + 1)
{
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        Taken.push_back(fd);
}

CDescriptorsTaken::~CDescriptorsTaken()
{
    for (const int fd : Taken)
        ::close(fd);
}

rlim_t CDescriptorsTaken::HighestOpen()
{
    rlim_t highest = 0;
    const auto names = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names)
        highest = std::max<rlim_t>(highest, name.toUInt());
    return highest;
}

CRealBoxes::CRealBoxes(CProgram& program, int most) : Program(program), Most(most), Timer(std::make_unique<QTimer>())
{
    AfxSetMessageBoxService(nullptr);
    AfxShowBoxesWithoutScreen(true);
    Timer->setInterval(5);
    QObject::connect(Timer.get(), &QTimer::timeout, [this] { Answer(); });
    Timer->start();
}

CRealBoxes::~CRealBoxes()
{
    Timer->stop();
    AfxShowBoxesWithoutScreen(false);
    AfxSetMessageBoxService(&Program.Messages);
}

void CRealBoxes::Answer()
{
    auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!pBox || pBox == Answered)
        return;
    Answered = pBox;
    Texts << pBox->text();
    if (Texts.size() <= Most)
        QTest::keyClick(pBox, Qt::Key_Return);
    else
        pBox->done(QMessageBox::Ok);
}

bool CommandEnabled(const CProgram& program, UINT id)
{
    CCmdUI state(id);
    return program.Frame()->RouteCommand(id, &state) && state.Enabled;
}

bool MenuItemEnabled(const CProgram& program, UINT id)
{
    QAction* pAction = program.Frame()->GetCommandAction(id);
    program.Frame()->UpdateCommandUI(pAction);
    return pAction->isEnabled();
}

void ProcessEvents(int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

void WhenModal(const std::function<void(QWidget*)>& action)
{
    auto* pTimer = new QTimer;
    pTimer->setInterval(5);
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, action] {
        QWidget* pModal = QApplication::activeModalWidget();
        if (!pModal)
            return;
        pTimer->stop();
        pTimer->deleteLater();
        action(pModal);
    });
    pTimer->start();
}

void Focus(CBytelonView* pView)
{
    pView->activateWindow();
    pView->setFocus(Qt::MouseFocusReason);
    ProcessEvents(1);
}

void SetShiftHeld(bool held)
{
    shiftHeld = held;
}

void SetLeftButtonHeld(bool held)
{
    leftButtonHeld = held;
}

void SetCursorScreenPos(QPoint position)
{
    cursorScreenPos = position;
}

CRecordingDC::CRecordingDC(QWidget* pWindow, const QRect& clip) : CDC(pWindow, nullptr, false)
{
    SetClipBox(clip);
}

CRecordingDC::CRecordingDC(QPaintDevice* pPrinter) : CDC(pPrinter, nullptr, true) {}

bool CRecordingDC::TextOut(int x, int y, const QString& text)
{
    Texts.push_back({QPoint(x, y), text});
    return true;
}

bool CRecordingDC::TextOutCells(int x, int y, const QString& text, float)
{
    Texts.push_back({QPoint(x, y), text});
    return true;
}

bool CRecordingDC::LineTo(int x, int y)
{
    Lines.emplace_back(GetCurrentPosition(), QPoint(x, y));
    MoveTo(x, y);
    return true;
}

void CRecordingDC::InvertRect(const QRect&) {}

std::unique_ptr<CRecordingDC> CRecordingDC::OfView(CBytelonView* pView)
{
    auto pDC = std::make_unique<CRecordingDC>(pView->viewport(), pView->viewport()->rect());
    pView->OnPrepareDC(pDC.get());
    pView->OnDraw(pDC.get());
    return pDC;
}

QStringList CRecordingDC::TextsAt(int y) const
{
    std::vector<CText> row;
    for (const CText& text : Texts) {
        if (text.At.y() == y)
            row.push_back(text);
    }
    std::sort(row.begin(), row.end(), [](const CText& a, const CText& b) { return a.At.x() < b.At.x(); });
    QStringList result;
    for (const CText& text : row)
        result << text.Text;
    return result;
}

void ShowLines(CBytelonView* pView, int lines)
{
    CMDIChildWnd* pFrame = pView->GetParentFrame();
    const int chrome = pFrame->height() - pView->viewport()->height();
    pFrame->resize(pFrame->width(), chrome + (lines + 1) * pView->LineHeight + 6 + pView->LineHeight / 2);
    ProcessEvents();
}

QRegion SelectedCells(CBytelonView* pView)
{
    QRegion region;
    const int lo = std::min(pView->SelAnchor, pView->SelEnd);
    const int hi = std::max(pView->SelAnchor, pView->SelEnd);
    for (int r = 0; r <= pView->LastDataRow(); ++r) {
        for (int j = 0; j < pView->BytesPerLine; ++j) {
            const int o = pView->TopOffset + r * pView->BytesPerLine + j;
            if (o < lo || o >= hi)
                continue;
            const int y1 = pView->LineHeight * (r + 1) + 5;
            const int y2 = pView->LineHeight * (r + 2) + 5;
            const float w = pView->CharWidth;
            const int hx1 = int(float(pView->HexColumnX()) + (float(3 * j) - 0.5F) * w);
            const int hx2 = int(float(pView->HexColumnX()) + (float(3 * j) + 2.5F) * w);
            const int tx1 = int(float(pView->TextColumnX()) + float(j) * w);
            const int tx2 = int(float(pView->TextColumnX()) + float(j + 1) * w);
            region += QRect(QPoint(hx1, y1), QSize(hx2 - hx1, y2 - y1));
            region += QRect(QPoint(tx1, y1), QSize(tx2 - tx1, y2 - y1));
        }
    }
    return region;
}

int InversionMismatches(const QImage& plain, const QImage& shown, const QRegion& inverted)
{
    int mismatches = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb a = plain.pixel(x, y) & 0xFFFFFF;
            const QRgb b = shown.pixel(x, y) & 0xFFFFFF;
            const QRgb expected = inverted.contains(QPoint(x, y)) ? (~a & 0xFFFFFF) : a;
            if (b != expected)
                ++mismatches;
        }
    }
    return mismatches;
}

QImage Grab(CBytelonView* pView)
{
    ProcessEvents();
    return pView->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
CBytelonView* OpenSecondWindow(CProgram& program, CBytelonView* pView)
{
    Focus(pView);
    CBytelonDoc* pDocument = pView->GetDocument();
    if (!program.Frame()->ExecuteCommand(ID_WINDOW_NEW))
        return nullptr;
    ProcessEvents();
    auto* pSecond = CProgram::ViewOf(pDocument, int(pDocument->GetViews().size()) - 1);
    CMDIChildWnd* pFirstFrame = pView->GetParentFrame();
    CMDIChildWnd* pSecondFrame = pSecond->GetParentFrame();
    program.Frame()->resize(pFirstFrame->width() + pSecondFrame->width() + 100,
                            std::max(program.Frame()->height(), pFirstFrame->height() + 200));
    pFirstFrame->move(0, 0);
    pSecondFrame->move(pFirstFrame->width(), 0);
    pSecondFrame->resize(pSecondFrame->width(), pFirstFrame->height());
    ProcessEvents();
    return pSecond;
}

void PutTextThrough(QLineEdit* pEntry, CTextRoute route, const QString& text)
{
    if (route == CTextRoute::Drop) {
        // Dropped after the last character, as text from another program.
        QMimeData data;
        data.setText(text);
        const QPoint at(pEntry->width() - 2, pEntry->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(pEntry, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(pEntry, &drop);
        return;
    }
    QGuiApplication::clipboard()->setText(text);
    switch (route) {
    case CTextRoute::CtrlV: QTest::keyClick(pEntry, Qt::Key_V, Qt::ControlModifier); break;
    case CTextRoute::ShiftInsert: QTest::keyClick(pEntry, Qt::Key_Insert, Qt::ShiftModifier); break;
    case CTextRoute::MenuPaste: {
        const std::unique_ptr<QMenu> pMenu(pEntry->createStandardContextMenu());
        for (QAction* pAction : pMenu->actions()) {
            if (pAction->text().startsWith(QStringLiteral("&Paste")))
                pAction->trigger();
        }
        break;
    }
    case CTextRoute::Drop: break;
    }
}

float MeasuredCharWidth(CBytelonView* pView)
{
    CClientDC dc(pView->viewport());
    CFontSelection select(&dc, pView->Font.get());
    return float(dc.GetTextExtent(QStringLiteral("12345678901234567890123456789012")).width()) / 32.0F;
}

CShownOffsets ShownOffsets(CBytelonView* pView)
{
    const std::unique_ptr<CRecordingDC> pDC = CRecordingDC::OfView(pView);
    CShownOffsets shown;
    for (int row = 0; row < pView->LinesPerScreen; ++row) {
        const QStringList texts = pDC->TextsAt(5 + (row + 1) * pView->LineHeight);
        if (texts.size() < 2)
            break;
        bool ok = false;
        const long long address = texts[0].toLongLong(&ok, pView->HexAddress ? 16 : 10);
        if (!ok)
            break;
        long long bytes = 0;
        for (int cell = 0; 3 * cell < texts[1].size(); ++cell) {
            if (texts[1].at(3 * cell) != QLatin1Char(' '))
                ++bytes;
        }
        if (row == pView->CaretRow)
            shown.Caret = address + pView->CaretColumn;
        shown.End = address + bytes;
    }
    return shown;
}

void WithPreparedDC(CBytelonView* pView, const std::function<void(CDC*)>& op)
{
    CPreparedDC dc(pView);
    op(dc);
}

void PlaceCaret(CBytelonView* pView, int offset)
{
    CPreparedDC dc(pView);
    pView->SetCaretToOffset(offset, dc);
}

void MoveCaretTo(CBytelonView* pView, int offset)
{
    CPreparedDC dc(pView);
    const int shift = pView->ShiftDown;
    pView->ShiftDown = 0;
    pView->SyncSelectionWithShift(dc);  // a move without Shift ends the selection
    pView->ScrollTo(offset, -1, dc);
    pView->SetCaretToOffset(offset, dc);
    pView->ShiftDown = shift;
}

void SelectBytes(CBytelonView* pView, int anchor, int end)
{
    MoveCaretTo(pView, anchor);
    CPreparedDC dc(pView);
    const int shift = pView->ShiftDown;
    pView->ShiftDown = 1;
    pView->SyncSelectionWithShift(dc);
    pView->ScrollTo(end, -1, dc);
    pView->SetCaretToOffset(end, dc);
    pView->ExtendSelection(dc);
    pView->ShiftDown = shift;
}

std::pair<int, int> Selection(const CBytelonView* pView)
{
    return {pView->SelAnchor, pView->SelEnd};
}

std::pair<int, int> CaretCell(const CBytelonView* pView)
{
    return {pView->CaretRow, pView->CaretColumn};
}

namespace {
// The window's pixels as they are now, without letting any event run.
QImage GrabScreenNow(CBytelonView* pView)
{
    QWidget* pViewport = pView->viewport();
    const QPoint origin = pViewport->mapTo(pViewport->window(), QPoint(0, 0));
    const QPixmap pixels = pViewport->screen()->grabWindow(pViewport->window()->winId(), origin.x(), origin.y(),
                                                           pViewport->width(), pViewport->height());
    return pixels.toImage().convertToFormat(QImage::Format_RGB32);
}
}  // namespace

QImage ScreenPixels(CBytelonView* pView)
{
    ProcessEvents();
    return GrabScreenNow(pView);
}

int SelectionMismatchesOnScreen(CBytelonView* pView)
{
    const QImage shown = ScreenPixels(pView);
    const QRegion cells = pView->SelActive ? SelectedCells(pView) : QRegion();
    const int active = pView->SelActive;
    // The plain view is painted and grabbed at once: a timer running meanwhile
    // (a drag's auto-scroll) would see the selection switched off.
    pView->SelActive = 0;
    pView->Invalidate(true);
    pView->viewport()->repaint();
    const QImage plain = GrabScreenNow(pView);
    pView->SelActive = active;
    pView->Invalidate(true);
    pView->viewport()->repaint();
    return InversionMismatches(plain, shown, cells);
}
