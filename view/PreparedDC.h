#pragma once
// The context every view operation outside painting draws, measures and
// converts with: a client context of the view, prepared by the view, with
// the view's font selected until the guard ends.

#include "framework/DC.h"

class CBytelonView;

class CPreparedDC {
public:
    explicit CPreparedDC(CBytelonView* pView);
    ~CPreparedDC();
    CPreparedDC(const CPreparedDC&) = delete;
    CPreparedDC& operator=(const CPreparedDC&) = delete;

    [[nodiscard]] CDC* get() { return &DC; }
    operator CDC*() { return &DC; }
    CDC* operator->() { return &DC; }

private:
    CClientDC DC;
    CFont* pOldFont;
};
