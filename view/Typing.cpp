#include "view/BytelonView.h"

#include "app/BytelonApp.h"
#include "framework/MDIFrameWnd.h"
#include "framework/StringTable.h"
#include "framework/WinApp.h"
#include "search/InsertDlg.h"

#include <QByteArray>

#include <cstring>

namespace {

// The printable characters that are neither letters nor digits.
constexpr char Punctuation[] = " !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
static_assert(sizeof(Punctuation) - 1 == 33, "the blank and the 32 punctuation characters");

bool IsPrintable(UINT ch)
{
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9'))
        return true;
    return ch != 0 && ch < 0x80 && std::strchr(Punctuation, int(ch)) != nullptr;
}

bool IsHexDigit(UINT ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

}  // namespace

void CBytelonView::OnChar(UINT ch)
{
    // The pane the caret is in decides which characters start an insertion.
    const bool taken = CaretInText == 1 ? IsPrintable(ch) : IsHexDigit(ch);
    if (taken)
        RunInsertDialog(char(ch));
    CView::OnChar(ch);
}

void CBytelonView::RunInsertDialog(char ch)
{
    if (CBytelonApp* pApp = BytelonApp())
        pApp->InsertInitialChar = ch;
    QByteArray bytes;
    {
        CInsertDlg dialog(this);
        if (dialog.DoModal() == IDOK)
            bytes = QByteArray(dialog.Pair.Bytes, dialog.Pair.Count);
    }
    // The dialog's hex box took its prompts with it: the idle prompt is back.
    if (CMDIFrameWnd* pFrame = AfxGetMainWnd())
        pFrame->SetMessageText(AfxLoadString(AFX_IDS_IDLEMESSAGE));
    if (!bytes.isEmpty())
        ReplaceSelectionWithString(bytes.constData(), int(bytes.size()));
}

void CBytelonView::On_Edit_Insert()
{
    RunInsertDialog(0);
}
