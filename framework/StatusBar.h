#pragma once
// A status bar of panes: pane 0 is the message pane, the others have fixed
// widths and are not covered by fly-by prompts.

#include "framework/Afx.h"

#include <QElapsedTimer>
#include <QStatusBar>

#include <vector>

class QLabel;

enum : UINT { SBPS_NORMAL = 0, SBPS_NOBORDERS = 0x100, SBPS_STRETCH = 0x800 };

class CStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CStatusBar(QWidget* pParent);

    // One pane per identifier; 0 makes a plain pane, others show their string.
    bool SetIndicators(const UINT* pIds, int count);
    // The Caps Lock and Num Lock panes show their names while the keys are on.
    void UpdateKeyIndicators();
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    // What assistive technology calls the pane; its text is the pane's description.
    void SetPaneName(int index, const QString& name);
    // With update, the pane is repainted at once.
    void SetPaneText(int index, const QString& text, bool update = true);
    [[nodiscard]] QString GetPaneText(int index) const;
    [[nodiscard]] int GetPaneWidth(int index) const;
    [[nodiscard]] int GetCount() const { return int(Panes.size()); }
    // Introspection for tests: the label showing a pane.
    [[nodiscard]] QLabel* GetPane(int index) const;
    // True while a pane is being repainted at once; other windows wait.
    [[nodiscard]] static bool IsRepaintingPane();

signals:
    // Every text put into a pane, in order; tests follow progress texts with it.
    void paneTextChanged(int index, const QString& text);

private:
    static constexpr int ImmediateRepaintInterval = 40;  // milliseconds
    std::vector<QLabel*> Panes;
    std::vector<UINT> PaneIds;
    QElapsedTimer LastImmediateRepaint;
};
