#pragma once
// The column box: a small pale-yellow window under the pointer while a column
// rule is dragged, showing the value a release would apply. The application
// holds the one box there is (pColumnBox); the box deletes itself once its
// window is destroyed.

#include "framework/Dialog.h"

#include <QBrush>

class QLabel;

class CColumnBox : public CDialog {
    Q_OBJECT
public:
    // Creates the window at once; reports when that fails (see IsCreated).
    explicit CColumnBox(QWidget* pParent = nullptr);
    ~CColumnBox() override;

    void DoDataExchange(CDataExchange* pDX) override;
    void PostNcDestroy() override;
    bool OnInitDialog() override;

    // False when the window could not be made: the object is then of no use.
    [[nodiscard]] bool IsCreated() const { return Created; }
    void SetLabelText(const QString& text);

    // For tests: makes window creation fail, as when the system runs out of windows.
    static void SetCreationFailsForTesting(bool fail);

    QBrush Brush;
    QLabel* Label = nullptr;

private:
    bool Created = false;
};
