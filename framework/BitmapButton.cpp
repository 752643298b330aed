#include "framework/BitmapButton.h"

#include "framework/Dialog.h"
#include "framework/Resources.h"

#include <QEvent>
#include <QPainter>
#include <QPushButton>

bool CBitmapButton::AutoLoad(int id, CDialog* pParent)
{
    pButton = pParent ? pParent->GetDlgItemAs<QPushButton>(id) : nullptr;
    if (!pButton)
        return false;
    const QString caption = pButton->text();
    Normal = AfxLoadBitmap(caption + QLatin1Char('U'));
    Pressed = AfxLoadBitmap(caption + QLatin1Char('D'));
    Focused = AfxLoadBitmap(caption + QLatin1Char('F'));
    if (Normal.isNull())
        return false;
    pButton->setFixedSize(Normal.size());
    pButton->installEventFilter(this);
    pButton->update();
    return true;
}

bool CBitmapButton::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == pButton && pEvent->type() == QEvent::Paint) {
        QPainter painter(pButton);
        const QPixmap* pImage = &Normal;
        if (pButton->isDown() && !Pressed.isNull())
            pImage = &Pressed;
        else if (pButton->hasFocus() && !Focused.isNull())
            pImage = &Focused;
        painter.drawPixmap(0, 0, *pImage);
        return true;
    }
    return QObject::eventFilter(pWatched, pEvent);
}
