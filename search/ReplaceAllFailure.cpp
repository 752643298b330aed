#include "search/ReplaceAllFailure.h"

#include "framework/MessageBox.h"

void CReplaceAllFailure::Report() const
{
    if (Cause && Cause->TheCause != CFileException::none)
        Cause->ReportError();
    else if (Message != 0)
        AfxMessageBox(Message);
}
