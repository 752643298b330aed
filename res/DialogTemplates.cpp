#include "res/Resources.h"

#include "res/DialogTemplates.h"

void RegisterDialogTemplates()
{
    RegisterAboutTemplate();
    RegisterGotoTemplate();
    RegisterColumnsTemplate();
    RegisterColumnBoxTemplate();
}
