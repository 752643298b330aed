#pragma once
// The font dialog behind a replaceable service, so tests can answer it. The
// request carries a LOGFONT-like description that the dialog starts from and
// writes its choice into, and the chosen size in tenths of a point.

#include "framework/Afx.h"
#include "framework/Font.h"

class QWidget;

enum : DWORD {
    CF_SCREENFONTS = 0x1,
    CF_PRINTERFONTS = 0x2,
    CF_INITTOLOGFONTSTRUCT = 0x40,
    CF_EFFECTS = 0x100,
    CF_ANSIONLY = 0x400,
    CF_LIMITSIZE = 0x2000,
    CF_FIXEDPITCHONLY = 0x4000,
    CF_FORCEFONTEXIST = 0x10000,
};

struct CFontDialogRequest {
    // Read when CF_INITTOLOGFONTSTRUCT is set; written only when the user confirms.
    LOGFONT* pLogFont = nullptr;
    DWORD Flags = CF_SCREENFONTS | CF_EFFECTS;
    // Whole points, honoured with CF_LIMITSIZE.
    int SizeMin = 0;
    int SizeMax = 0;
    // Pixels per logical inch the LOGFONT heights are measured in.
    int LogPixelsY = 96;
    // Out: the chosen size in tenths of a point.
    int PointSize = 0;
    QWidget* pParent = nullptr;
};

class CFontDialogService {
public:
    virtual ~CFontDialogService() = default;
    // True when the user confirms; the choice is then in the request.
    virtual bool Run(CFontDialogRequest& request) = 0;
};

void AfxSetFontDialogService(CFontDialogService* pService);  // nullptr: the interactive one

class CFontDialog {
public:
    explicit CFontDialog(LOGFONT* pLogFont, DWORD flags = CF_EFFECTS | CF_SCREENFONTS, QWidget* pParent = nullptr);
    // IDOK or IDCANCEL.
    int DoModal();
    // The chosen size in tenths of a point.
    [[nodiscard]] int GetSize() const { return Request.PointSize; }

    CFontDialogRequest Request;
};
