#pragma once
// The user guide's window: the guide, kept as Markdown in the program's
// resources, rendered with its pictures, each heading an anchor that links
// and help contexts can go to.

#include <QMainWindow>
#include <QString>
#include <QTextBlock>

class QTextBrowser;

class CHelpWindow : public QMainWindow {
    Q_OBJECT
public:
    // The owner's help window, made on first use.
    static CHelpWindow* Open(QWidget* pOwner);
    [[nodiscard]] static CHelpWindow* Find(const QWidget* pOwner);

    // Shows the window at the section with this anchor; empty: the guide's start.
    void ShowTopic(const QString& anchor);

    // Introspection for tests: the anchor shown last, the text view and the
    // heading of a section (invalid when the guide has none of that anchor).
    [[nodiscard]] QString CurrentTopic() const;
    [[nodiscard]] QTextBrowser* Browser() const { return pBrowser; }
    [[nodiscard]] QTextBlock TopicHeading(const QString& anchor) const;

private:
    explicit CHelpWindow(QWidget* pOwner);

    QTextBrowser* pBrowser;
};

// A heading's anchor as the guide's links write it: lower case, blanks as
// hyphens, other punctuation left out ("Save As" gives "save-as").
[[nodiscard]] QString HeadingAnchor(const QString& heading);
