#pragma once
// Command routing: every command is a number; an object that handles it has
// an entry in its command map, with an optional update handler deciding the
// command's enabled and checked state.

#include "framework/Afx.h"

#include <QString>

#include <functional>
#include <initializer_list>

class QAction;

// What an update handler may say about one command.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : Id(id) {}
    virtual ~CCmdUI() = default;

    virtual void Enable(bool on = true) { Enabled = on; }
    // 0 clears the check mark, 1 sets it.
    virtual void SetCheck(int check = 1) { Checked = check != 0; CheckSet = true; }

    const UINT Id;
    bool Enabled = false;
    bool Checked = false;
    bool CheckSet = false;
};

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // With pCmdUI null: runs the handler of id. Otherwise: runs its update
    // handler, or enables it when there is a handler without one.
    // False when this object has no entry for id.
    virtual bool OnCmdMsg(UINT id, CCmdUI* pCmdUI);
};

// One entry of a class's command map.
template <class T>
struct CCommandEntry {
    UINT Id;
    void (T::*Handler)();
    void (T::*UpdateHandler)(CCmdUI*);
};

template <class T>
bool DispatchCommandMap(T* pTarget, std::initializer_list<CCommandEntry<T>> map, UINT id,
                        CCmdUI* pCmdUI)
{
    for (const auto& entry : map) {
        if (entry.Id != id)
            continue;
        if (pCmdUI) {
            if (entry.UpdateHandler)
                (pTarget->*entry.UpdateHandler)(pCmdUI);
            else if (entry.Handler)
                pCmdUI->Enable(true);
            else
                continue;
            return true;
        }
        if (!entry.Handler)
            continue;
        (pTarget->*entry.Handler)();
        return true;
    }
    return false;
}

// Runs fn and reports a file failure that escapes it, as the framework does
// around every command and window message. Returns false when fn failed.
bool AfxCallGuarded(const std::function<void()>& fn);
