#include "app/HelpWindow.h"

#include "framework/Resources.h"
#include "res/Resource.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>

namespace {

const QUrl GuideUrl(QStringLiteral("qrc:/help/UserGuide.md"));

// A text view whose headings are anchors, as a Markdown reader's are.
class CGuideBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override
    {
        QTextBrowser::doSetSource(name, type);
        // A new document's headings are marked before its anchor is looked for.
        if (MarkHeadings() && !name.fragment().isEmpty())
            scrollToAnchor(name.fragment());
    }

private:
    // False when the document's headings were marked already.
    bool MarkHeadings()
    {
        QTextDocument* pDocument = document();
        pDocument->setUndoRedoEnabled(false);
        bool marked = false;
        for (QTextBlock block = pDocument->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() == 0 || block.length() <= 1
                || block.begin().fragment().charFormat().isAnchor())
                continue;
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat format;
            format.setAnchor(true);
            format.setAnchorNames({HeadingAnchor(block.text())});
            cursor.mergeCharFormat(format);
            marked = true;
        }
        return marked;
    }
};

}  // namespace

QString HeadingAnchor(const QString& heading)
{
    QString anchor;
    for (const QChar ch : heading.trimmed().toLower()) {
        if (ch.isLetterOrNumber() || ch == QLatin1Char('-') || ch == QLatin1Char('_'))
            anchor += ch;
        else if (ch.isSpace())
            anchor += QLatin1Char('-');
    }
    return anchor;
}

CHelpWindow::CHelpWindow(QWidget* pOwner) : QMainWindow(pOwner, Qt::Window), pBrowser(new CGuideBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("BYTELON Help"));
    setWindowIcon(AfxLoadIcon(IDR_MAINFRAME));
    pBrowser->setOpenExternalLinks(true);
    pBrowser->setAccessibleName(QStringLiteral("User guide"));
    setCentralWidget(pBrowser);

    auto* pBar = addToolBar(QStringLiteral("Navigation"));
    pBar->setMovable(false);
    QAction* pBack = pBar->addAction(QStringLiteral("Back"), pBrowser, &QTextBrowser::backward);
    QAction* pForward = pBar->addAction(QStringLiteral("Forward"), pBrowser, &QTextBrowser::forward);
    pBar->addAction(QStringLiteral("Contents"), this, [this] { ShowTopic(QString()); });
    pBack->setShortcut(QKeySequence::Back);
    pForward->setShortcut(QKeySequence::Forward);
    pBack->setEnabled(false);
    pForward->setEnabled(false);
    connect(pBrowser, &QTextBrowser::backwardAvailable, pBack, &QAction::setEnabled);
    connect(pBrowser, &QTextBrowser::forwardAvailable, pForward, &QAction::setEnabled);
    auto* pClose = new QAction(this);
    pClose->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence::Close});
    connect(pClose, &QAction::triggered, this, &QWidget::close);
    addAction(pClose);

    // Beside the owner where there is room, about as tall as the screen allows.
    const QScreen* pScreen = pOwner ? pOwner->screen() : QGuiApplication::primaryScreen();
    const QRect area = pScreen ? pScreen->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(qMin(760, area.width()), qMin(820, area.height() * 9 / 10));
}

CHelpWindow* CHelpWindow::Find(const QWidget* pOwner)
{
    return pOwner ? pOwner->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

CHelpWindow* CHelpWindow::Open(QWidget* pOwner)
{
    CHelpWindow* pWindow = Find(pOwner);
    return pWindow ? pWindow : new CHelpWindow(pOwner);
}

void CHelpWindow::ShowTopic(const QString& anchor)
{
    // Shown first: a hidden text view puts off going to an anchor.
    show();
    raise();
    activateWindow();
    QUrl url = GuideUrl;
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    if (pBrowser->source() == url && !anchor.isEmpty())
        pBrowser->scrollToAnchor(anchor);
    else
        pBrowser->setSource(url, QTextDocument::MarkdownResource);
    if (anchor.isEmpty())
        pBrowser->verticalScrollBar()->setValue(0);
}

QString CHelpWindow::CurrentTopic() const
{
    return pBrowser->source().fragment();
}

QTextBlock CHelpWindow::TopicHeading(const QString& anchor) const
{
    for (QTextBlock block = pBrowser->document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0 && HeadingAnchor(block.text()) == anchor)
            return block;
    }
    return QTextBlock();
}
