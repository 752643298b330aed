#pragma once
// Virtual-key codes, as the program's key handlers and accelerators use them,
// and their translation from Qt's key codes.

#include "framework/Afx.h"

#include <Qt>

#include <optional>

enum : UINT {
    VK_LBUTTON = 0x01,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_F1 = 0x70,
    VK_F6 = 0x75,
    VK_NUMLOCK = 0x90,
    VK_OEM_PLUS = 0xBB,
};

// Accelerator modifiers.
enum : UINT { FSHIFT = 0x04, FCONTROL = 0x08, FALT = 0x10 };

// 0 for keys without a virtual-key code.
[[nodiscard]] UINT VirtualKeyFromQt(int qtKey);
[[nodiscard]] int QtKeyFromVirtualKey(UINT vk);

// The state of a key or mouse button "now", as the program asks for it
// outside its message handlers. Replaceable so tests can hold keys down.
using CKeyStateProvider = bool (*)(UINT vk);
void AfxSetKeyStateProvider(CKeyStateProvider provider);  // nullptr: the platform's
[[nodiscard]] bool AfxIsKeyDown(UINT vk);

// Whether a toggle key (Caps Lock, Num Lock) is on, or nothing where the
// platform cannot report it. Replaceable like the key state.
using CKeyToggleProvider = std::optional<bool> (*)(UINT vk);
void AfxSetKeyToggleProvider(CKeyToggleProvider provider);  // nullptr: the platform's
[[nodiscard]] std::optional<bool> AfxIsKeyToggled(UINT vk);
