#include "framework/FontDialog.h"

#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

QFont InitialFont(const CFontDialogRequest& request)
{
    QFont font;
    if (!(request.Flags & CF_INITTOLOGFONTSTRUCT) || !request.pLogFont)
        return font;
    const LOGFONT& description = *request.pLogFont;
    if (!description.lfFaceName.isEmpty())
        font.setFamily(description.lfFaceName);
    if (description.lfHeight != 0 && request.LogPixelsY > 0)
        font.setPointSizeF(std::abs(double(description.lfHeight)) * 72.0 / request.LogPixelsY);
    if (description.lfWeight > 0)
        font.setWeight(QFont::Weight(std::clamp(int(description.lfWeight), 1, 1000)));
    font.setItalic(description.lfItalic != 0);
    if (request.Flags & CF_EFFECTS) {
        font.setUnderline(description.lfUnderline != 0);
        font.setStrikeOut(description.lfStrikeOut != 0);
    }
    return font;
}

class CInteractiveFontDialog final : public CFontDialogService {
public:
    bool Run(CFontDialogRequest& request) override
    {
        QWidget* pParent = request.pParent ? request.pParent : static_cast<QWidget*>(AfxGetMainWnd());
        QFontDialog dialog(InitialFont(request), pParent);
        // Qt's own dialog, so the effects can be left out.
        dialog.setOption(QFontDialog::DontUseNativeDialog);
        if (request.Flags & CF_FIXEDPITCHONLY)
            dialog.setOption(QFontDialog::MonospacedFonts);
        if (!(request.Flags & CF_EFFECTS)) {
            // Qt offers no option for it: the effects are the group of check boxes.
            for (QGroupBox* pGroup : dialog.findChildren<QGroupBox*>()) {
                if (!pGroup->findChildren<QCheckBox*>().isEmpty())
                    pGroup->hide();
            }
        }
        if (dialog.exec() != QDialog::Accepted)
            return false;

        const QFont font = dialog.selectedFont();
        double points = font.pointSizeF();
        if (points <= 0)
            points = QFontInfo(font).pointSizeF();
        if (request.Flags & CF_LIMITSIZE && request.SizeMax >= request.SizeMin && request.SizeMin > 0)
            points = std::clamp(points, double(request.SizeMin), double(request.SizeMax));
        request.PointSize = int(std::lround(points * 10));
        if (request.pLogFont) {
            LOGFONT& description = *request.pLogFont;
            description.lfHeight = -MulDiv(request.PointSize, request.LogPixelsY, 720);
            description.lfWidth = 0;
            description.lfWeight = font.weight();
            description.lfItalic = font.italic() ? 1 : 0;
            description.lfUnderline = (request.Flags & CF_EFFECTS) && font.underline() ? 1 : 0;
            description.lfStrikeOut = (request.Flags & CF_EFFECTS) && font.strikeOut() ? 1 : 0;
            description.lfPitchAndFamily = QFontInfo(font).fixedPitch() ? FIXED_PITCH : VARIABLE_PITCH;
            description.lfFaceName = font.family();
        }
        return true;
    }
};

CInteractiveFontDialog interactiveService;
CFontDialogService* pService = nullptr;

}  // namespace

void AfxSetFontDialogService(CFontDialogService* pNewService)
{
    pService = pNewService;
}

CFontDialog::CFontDialog(LOGFONT* pLogFont, DWORD flags, QWidget* pParent)
{
    Request.pLogFont = pLogFont;
    Request.Flags = flags;
    Request.pParent = pParent;
    if (pParent)
        Request.LogPixelsY = pParent->logicalDpiY();
    else if (const QScreen* pScreen = QGuiApplication::primaryScreen())
        Request.LogPixelsY = int(std::lround(pScreen->logicalDotsPerInchY()));
}

int CFontDialog::DoModal()
{
    CFontDialogService* service = pService ? pService : &interactiveService;
    return service->Run(Request) ? IDOK : IDCANCEL;
}
