#include "framework/Resources.h"

#include <map>

namespace {

struct CRegistry {
    std::map<UINT, CMenuResource> Menus;
    std::map<UINT, CAcceleratorResource> Accelerators;
    std::map<UINT, CToolBarResource> ToolBars;
    std::map<UINT, CDialogTemplate> Dialogs;
    std::map<UINT, std::function<QCursor()>> Cursors;
    std::map<UINT, QString> Icons;
};

CRegistry& Registry()
{
    static CRegistry registry;
    return registry;
}

template <class Map>
auto Find(const Map& map, UINT id) -> const typename Map::mapped_type*
{
    const auto it = map.find(id);
    return it == map.end() ? nullptr : &it->second;
}

}  // namespace

void AfxRegisterMenu(UINT id, CMenuResource menu)
{
    Registry().Menus[id] = std::move(menu);
}

void AfxRegisterAccelerators(UINT id, CAcceleratorResource table)
{
    Registry().Accelerators[id] = std::move(table);
}

void AfxRegisterToolBar(UINT id, CToolBarResource toolBar)
{
    Registry().ToolBars[id] = std::move(toolBar);
}

void AfxRegisterDialogTemplate(UINT id, CDialogTemplate build)
{
    Registry().Dialogs[id] = std::move(build);
}

void AfxRegisterCursor(UINT id, std::function<QCursor()> make)
{
    Registry().Cursors[id] = std::move(make);
}

void AfxRegisterIcon(UINT id, QString file)
{
    Registry().Icons[id] = std::move(file);
}

const CMenuResource* AfxFindMenu(UINT id)
{
    return Find(Registry().Menus, id);
}

const CAcceleratorResource* AfxFindAccelerators(UINT id)
{
    return Find(Registry().Accelerators, id);
}

const CToolBarResource* AfxFindToolBar(UINT id)
{
    return Find(Registry().ToolBars, id);
}

const CDialogTemplate* AfxFindDialogTemplate(UINT id)
{
    return Find(Registry().Dialogs, id);
}

QCursor AfxLoadCursor(UINT id)
{
    const auto* make = Find(Registry().Cursors, id);
    return make ? (*make)() : QCursor(Qt::ArrowCursor);
}

QIcon AfxLoadIcon(UINT id)
{
    const auto* file = Find(Registry().Icons, id);
    return file ? QIcon(*file) : QIcon();
}

QPixmap AfxLoadBitmap(const QString& name)
{
    return QPixmap(QStringLiteral(":/bitmaps/") + name + QStringLiteral(".png"));
}
