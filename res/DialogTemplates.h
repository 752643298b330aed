#pragma once
// One registration per dialog template; each lives in its own file.

void RegisterAboutTemplate();
void RegisterInsertTemplate();
void RegisterFindTemplate();
void RegisterReplaceTemplate();
void RegisterGotoTemplate();
void RegisterColumnsTemplate();
void RegisterColumnBoxTemplate();
void RegisterRecoveryTemplate();
