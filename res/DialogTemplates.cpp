#include "res/Resources.h"

#include "res/DialogTemplates.h"

void RegisterDialogTemplates()
{
    RegisterAboutTemplate();
    RegisterInsertTemplate();
    RegisterFindTemplate();
    RegisterReplaceTemplate();
    RegisterGotoTemplate();
    RegisterColumnsTemplate();
    RegisterColumnBoxTemplate();
    RegisterRecoveryTemplate();
}
