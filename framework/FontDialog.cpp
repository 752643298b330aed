#include "framework/FontDialog.h"

#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIntValidator>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QStringListModel>

#include <algorithm>
#include <cmath>

namespace {

// The family's style nearest to the weight, upright or slanted as asked.
QString NearestStyle(const QString& family, int weight, bool italic)
{
    QString nearest;
    int distance = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        // The font of the style knows its slant; the database's italic() misses obliques.
        const QFont styled = QFontDatabase::font(family, style, 10);
        const int d = std::abs(styled.weight() - weight) + (styled.italic() != italic ? 1000 : 0);
        if (nearest.isEmpty() || d < distance) {
            nearest = style;
            distance = d;
        }
    }
    return nearest;
}

QFont InitialFont(const CFontDialogRequest& request)
{
    QFont font;
    if (!(request.Flags & CF_INITTOLOGFONTSTRUCT) || !request.pLogFont)
        return font;
    const LOGFONT& description = *request.pLogFont;
    if (!description.lfFaceName.isEmpty()) {
        // The dialog lists real families: a name such as "Courier" is shown as
        // the family it stands for here, the one the view draws with.
        CFont described;
        described.CreateFontIndirect(&description);
        font.setFamily(QFontInfo(described.MakeQFont(1.0)).family());
    }
    if (description.lfHeight != 0 && request.LogPixelsY > 0)
        font.setPointSizeF(std::abs(double(description.lfHeight)) * 72.0 / request.LogPixelsY);
    if (description.lfWeight > 0)
        font.setWeight(QFont::Weight(std::clamp(int(description.lfWeight), 1, 1000)));
    font.setItalic(description.lfItalic != 0);
    if (request.Flags & CF_EFFECTS) {
        font.setUnderline(description.lfUnderline != 0);
        font.setStrikeOut(description.lfStrikeOut != 0);
    }
    // The dialog picks a style by its name, else the family's first (often an oblique one).
    const QString style = NearestStyle(font.family(), font.weight(), font.italic());
    if (!style.isEmpty())
        font.setStyleName(style);
    return font;
}

// Shows what the chosen font looks like: Qt's sample box shrinks to nothing
// without the effects beside it.
void KeepSampleVisible(QFontDialog& dialog)
{
    if (auto* pSample = dialog.findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit")))
        pSample->setMinimumHeight(3 * dialog.fontMetrics().height());
}

// Qt's dialog offers every size: its size list and box are kept to the limits.
void LimitSizes(QFontDialog& dialog, int sizeMin, int sizeMax)
{
    for (QLineEdit* pEdit : dialog.findChildren<QLineEdit*>()) {
        if (qobject_cast<const QIntValidator*>(pEdit->validator()))
            pEdit->setValidator(new QIntValidator(sizeMin, sizeMax, pEdit));
    }
    const auto lists = dialog.findChildren<QListView*>();
    if (lists.isEmpty())
        return;
    // The size list is the last of the three; it is filled afresh for every family and style.
    auto* pSizes = qobject_cast<QStringListModel*>(lists.back()->model());
    if (!pSizes)
        return;
    QObject::connect(pSizes, &QAbstractItemModel::modelReset, &dialog, [pSizes, sizeMin, sizeMax] {
        for (int row = pSizes->rowCount() - 1; row >= 0; --row) {
            const int size = pSizes->index(row).data().toInt();
            if (size < sizeMin || size > sizeMax)
                pSizes->removeRows(row, 1);
        }
    });
}

class CInteractiveFontDialog final : public CFontDialogService {
public:
    bool Run(CFontDialogRequest& request) override
    {
        QWidget* pParent = request.pParent ? request.pParent : static_cast<QWidget*>(AfxGetMainWnd());
        QFontDialog dialog(pParent);
        // Qt's own dialog, so the effects can be left out.
        dialog.setOption(QFontDialog::DontUseNativeDialog);
        if (request.Flags & CF_FIXEDPITCHONLY)
            dialog.setOption(QFontDialog::MonospacedFonts);
        if (request.Flags & CF_LIMITSIZE && request.SizeMin > 0 && request.SizeMax >= request.SizeMin)
            LimitSizes(dialog, request.SizeMin, request.SizeMax);
        // The families are listed when the font is set, by the options set before.
        dialog.setCurrentFont(InitialFont(request));
        if (!(request.Flags & CF_EFFECTS)) {
            KeepSampleVisible(dialog);
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
