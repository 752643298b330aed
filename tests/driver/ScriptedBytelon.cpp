// The program with a script player: the same start-up, signal handling,
// message loop and shut-down as the bytelon executable (BytelonMain), plus
// a player that runs the edits a script names through the program's own
// commands and operations, one after another from the event loop, and
// notes in a progress file when each begins and ends. Tests start it as a
// process of its own and end it the ways the user's program ends: killed at
// any instant, or by a signal.
//
//   BYTELON_SCRIPT    the script: one step a line (see Play)
//   BYTELON_PROGRESS  where "ready", "begin N", "end N <microseconds it took>"
//                     and "idle" go
//   BYTELON_PAUSE_AT  N: the process stops itself (SIGSTOP) as step N begins,
//                     so that whoever kills it can time the kill from there
//
// Started at seconds 10 of a minute as far as the program knows: no About box.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "app/ProgramMain.h"
#include "doc/BytelonDoc.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QElapsedTimer>
#include <QTime>
#include <QTimer>

#include <csignal>

namespace {

class CPlayer : public QObject {
public:
    CPlayer(CBytelonApp& app, QStringList steps, const QString& progressPath)
        : App(app), Steps(std::move(steps)), Progress(progressPath)
    {
        Progress.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
        Timer.setInterval(0);
        connect(&Timer, &QTimer::timeout, this, &CPlayer::Tick);
        // Start-up has ended when the message loop first runs.
        QTimer::singleShot(0, &Timer, qOverload<>(&QTimer::start));
    }

private:
    void Note(const QByteArray& line) { Progress.write(line + '\n'); }

    // The active window's view: the focus may reach it only later, on a real display.
    CBytelonView* View() const
    {
        CDocument* pDocument = App.pMainWnd ? App.pMainWnd->GetActiveDocument() : nullptr;
        return pDocument && !pDocument->GetViews().empty() ? static_cast<CBytelonView*>(pDocument->GetViews().front())
                                                           : App.pCurrentView;
    }

    void Tick()
    {
        if (WaitingForReplaceAll) {
            if (App.ReplaceAllActive)
                return;
            WaitingForReplaceAll = false;
            NoteEnd(Next - 1);
        }
        if (Next >= Steps.size()) {
            Timer.stop();
            Note("idle");
            return;
        }
        const QStringList words = Steps[Next++].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QByteArray number = QByteArray::number(Next - 1);
        if (words.value(0) == QLatin1String("open")) {
            // Opening is start-up, not an edit: "ready" once the document is there.
            App.OpenDocumentFile(words.value(1));
            Note("ready");
            return;
        }
        Note("begin " + number);
        if (Next - 1 == PauseAt)
            std::raise(SIGSTOP);
        StepClock.start();
        if (!Play(words))
            return;
        NoteEnd(Next - 1);
    }

    void NoteEnd(int step)
    {
        Note("end " + QByteArray::number(step) + ' ' + QByteArray::number(StepClock.nsecsElapsed() / 1000));
    }

    // A step, as the user gives it. False while it goes on in the event loop.
    bool Play(const QStringList& words)
    {
        const QString& verb = words.value(0);
        auto number = [&words](int i) { return words.value(i).toInt(); };
        CMainFrame* pFrame = static_cast<CMainFrame*>(App.pMainWnd);
        if (verb == QLatin1String("new")) {
            App.OnFileNew();
        } else if (verb == QLatin1String("insert")) {
            // What OK in the Insert dialog does, at the caret.
            MoveCaretTo(View(), number(1));
            const QByteArray bytes = Pattern(number(2), number(3));
            View()->ReplaceSelectionWithString(bytes.constData(), int(bytes.size()));
        } else if (verb == QLatin1String("delete")) {
            SelectBytes(View(), number(1), number(1) + number(2));
            QTest::keyClick(View(), Qt::Key_Delete);
        } else if (verb == QLatin1String("paste")) {
            // The program's own format: a count, most significant byte
            // first, then the bytes, zeros and all.
            const QByteArray bytes = Pattern(number(3), number(4));
            QByteArray block(4, '\0');
            for (int i = 0; i < 4; ++i)
                block[i] = char((bytes.size() >> (24 - 8 * i)) & 0xFF);
            auto* pData = new QMimeData;
            pData->setData(QStringLiteral("application/x-cf-bytelon"), block + bytes);
            QGuiApplication::clipboard()->setMimeData(pData);
            SelectBytes(View(), number(1), number(1) + number(2));
            pFrame->ExecuteCommand(ID_EDIT_PASTE);
        } else if (verb == QLatin1String("replaceall")) {
            MoveCaretTo(View(), 0);
            Focus(View());
            pFrame->ExecuteCommand(ID_SEARCH_REPLACE);
            CReplaceDlg* pDialog = App.pReplaceDlg;
            for (const auto& [id, text] : {std::pair(int(IDC_REPLACE_FIND_HEX), words.value(1)),
                                           std::pair(int(IDC_REPLACE_WITH_HEX), words.value(2))}) {
                QLineEdit* pEdit = pDialog->GetDlgItemAs<QLineEdit>(id);
                pEdit->clear();
                QTest::keyClicks(pEdit, QString(text).replace(QLatin1Char('.'), QLatin1Char(' ')));
            }
            pDialog->GetDlgItemAs<QAbstractButton>(IDC_REPLACE_ALL)->click();
            WaitingForReplaceAll = true;
            return false;
        } else if (verb == QLatin1String("save")) {
            pFrame->ExecuteCommand(ID_FILE_SAVE);
        } else if (verb == QLatin1String("box")) {
            // A question nobody answers: the program waits inside its loop.
            AfxShowBoxesWithoutScreen(true);
            pFrame->ExecuteCommand(ID_EDIT_CLEAR_ALL);
        }
        return true;
    }

    CBytelonApp& App;
    QStringList Steps;
    QFile Progress;
    QTimer Timer;
    int Next = 0;
    bool WaitingForReplaceAll = false;
    QElapsedTimer StepClock;
    const int PauseAt = qEnvironmentVariableIsSet("BYTELON_PAUSE_AT") ? qEnvironmentVariableIntValue("BYTELON_PAUSE_AT")
                                                                         : -1;
};

}  // namespace

int main(int argc, char* argv[])
{
    QFile script(qEnvironmentVariable("BYTELON_SCRIPT"));
    QStringList steps;
    if (script.open(QIODevice::ReadOnly))
        steps = QString::fromUtf8(script.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    std::unique_ptr<CPlayer> pPlayer;
    const QString progress = qEnvironmentVariable("BYTELON_PROGRESS");
    return BytelonMain(argc, argv, [&](CBytelonApp& app) {
        // A start with no About box; the script plays once the message loop runs.
        app.Clock = [] { return QTime(12, 0, 10); };
        pPlayer = std::make_unique<CPlayer>(app, steps, progress);
    });
}
