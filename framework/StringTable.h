#pragma once
// The string table: program texts looked up by resource identifier.

#include "framework/Afx.h"

#include <QString>

struct CStringTableEntry {
    UINT Id;
    const char* Text;  // UTF-8
};

// The program registers its table once at start-up; later registrations replace it.
void AfxRegisterStringTable(const CStringTableEntry* pEntries, int count);

// Empty when the identifier has no text.
[[nodiscard]] QString AfxLoadString(UINT id);
[[nodiscard]] bool AfxLoadString(UINT id, QString& text);
