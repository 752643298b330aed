#include "framework/StringTable.h"

#include <unordered_map>

namespace {
std::unordered_map<UINT, QString>& Table()
{
    static std::unordered_map<UINT, QString> table;
    return table;
}
}  // namespace

void AfxRegisterStringTable(const CStringTableEntry* pEntries, int count)
{
    auto& table = Table();
    table.clear();
    for (int i = 0; i < count; ++i)
        table[pEntries[i].Id] = QString::fromUtf8(pEntries[i].Text);
}

bool AfxLoadString(UINT id, QString& text)
{
    const auto& table = Table();
    const auto it = table.find(id);
    if (it == table.end())
        return false;
    text = it->second;
    return true;
}

QString AfxLoadString(UINT id)
{
    QString text;
    // A string the table lacks is empty.
    static_cast<void>(AfxLoadString(id, text));
    return text;
}
