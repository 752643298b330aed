#include "framework/StatusBar.h"

#include "framework/AfxRes.h"
#include "framework/DC.h"
#include "framework/StringTable.h"
#include "framework/VirtualKeys.h"

#include <QLabel>

namespace {
int PaneRepaints = 0;
}

bool CStatusBar::IsRepaintingPane()
{
    return PaneRepaints > 0;
}

CStatusBar::CStatusBar(QWidget* pParent) : QStatusBar(pParent)
{
    setSizeGripEnabled(true);
}

bool CStatusBar::SetIndicators(const UINT* pIds, int count)
{
    for (QLabel* pane : Panes)
        delete pane;
    Panes.clear();
    PaneIds.assign(pIds, pIds + count);
    for (int i = 0; i < count; ++i) {
        auto* pane = new QLabel(this);
        // The margins are the pane's whole border: a framed label would indent its text too.
        pane->setContentsMargins(3, 0, 3, 0);
        pane->setIndent(0);
        if (i == 0) {
            addWidget(pane, 1);
        } else {
            pane->setFrameShape(QFrame::Panel);
            pane->setFrameShadow(QFrame::Sunken);
            addPermanentWidget(pane);
        }
        if (pIds[i] != 0) {
            const QString text = AfxLoadString(pIds[i]);
            pane->setText(text);
            pane->setAccessibleDescription(text);
            pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 8);
        }
        Panes.push_back(pane);
    }
    SetPaneName(0, QStringLiteral("Message"));
    for (int i = 0; i < count; ++i) {
        if (pIds[i] == ID_INDICATOR_CAPS)
            SetPaneName(i, QStringLiteral("Caps Lock"));
        else if (pIds[i] == ID_INDICATOR_NUM)
            SetPaneName(i, QStringLiteral("Num Lock"));
    }
    UpdateKeyIndicators();
    return true;
}

void CStatusBar::UpdateKeyIndicators()
{
    for (std::size_t i = 0; i < Panes.size(); ++i) {
        const UINT id = PaneIds[i];
        const UINT vk = id == ID_INDICATOR_CAPS ? UINT(VK_CAPITAL) : id == ID_INDICATOR_NUM ? UINT(VK_NUMLOCK) : 0u;
        if (vk == 0)
            continue;
        // Where nothing reports the key's state the pane stays a plain label.
        const std::optional<bool> on = AfxIsKeyToggled(vk);
        const QString text = !on || *on ? AfxLoadString(id) : QString();
        Panes[i]->setEnabled(on.has_value());
        if (Panes[i]->text() != text) {
            Panes[i]->setText(text);
            Panes[i]->setAccessibleDescription(text);
        }
    }
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width)
{
    QLabel* pane = GetPane(index);
    if (!pane)
        return;
    if (id != 0) {
        pane->setText(AfxLoadString(id));
        pane->setAccessibleDescription(pane->text());
    }
    pane->setFrameShape(style & SBPS_NOBORDERS ? QFrame::NoFrame : QFrame::Panel);
    // The width is that of the text area; the margins already hold the frame.
    const QMargins margins = pane->contentsMargins();
    pane->setFixedWidth(width + margins.left() + margins.right());
}

void CStatusBar::SetPaneName(int index, const QString& name)
{
    if (QLabel* pane = GetPane(index))
        pane->setAccessibleName(name);
}

void CStatusBar::SetPaneText(int index, const QString& text, bool update)
{
    QLabel* pane = GetPane(index);
    if (!pane)
        return;
    pane->setText(text);
    pane->setAccessibleDescription(text);
    // Qt repaints far slower than the platform the design targets, and a
    // copy loop sets a text per 64K: at most one immediate repaint per
    // interval is shown; the event loop paints the latest text in any case.
    if (update && pane->isVisible() && !CPaintDC::IsPainting()
        && (!LastImmediateRepaint.isValid() || LastImmediateRepaint.elapsed() >= ImmediateRepaintInterval)) {
        // Only the pane is painted now. A view waiting for paint would read
        // its document in the middle of the operation showing this progress.
        ++PaneRepaints;
        pane->repaint();
        --PaneRepaints;
        LastImmediateRepaint.start();
    }
    emit paneTextChanged(index, text);
}

QString CStatusBar::GetPaneText(int index) const
{
    const QLabel* pane = GetPane(index);
    return pane ? pane->text() : QString();
}

int CStatusBar::GetPaneWidth(int index) const
{
    const QLabel* pane = GetPane(index);
    return pane ? pane->contentsRect().width() : 0;
}

QLabel* CStatusBar::GetPane(int index) const
{
    return index >= 0 && index < int(Panes.size()) ? Panes[std::size_t(index)] : nullptr;
}
