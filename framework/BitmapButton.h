#pragma once
// A push button drawn with bitmaps named after its caption: "U" normal,
// "D" pressed, "F" focused.

#include <QObject>
#include <QPixmap>

class CDialog;
class QPushButton;

class CBitmapButton : public QObject {
    Q_OBJECT
public:
    CBitmapButton() = default;

    // Attaches to the dialog's button id and loads the images of its caption.
    bool AutoLoad(int id, CDialog* pParent);
    [[nodiscard]] QPushButton* GetButton() const { return pButton; }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QPushButton* pButton = nullptr;
    QPixmap Normal;
    QPixmap Pressed;
    QPixmap Focused;
};
