// The Caps Lock and Num Lock states: Qt does not report them, the X keyboard
// extension does where the program runs on X11.

#include "framework/VirtualKeys.h"

#include <QGuiApplication>

#if defined(BYTELON_HAVE_X11) && QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#define BYTELON_XKB_INDICATORS 1
#endif

namespace {

CKeyToggleProvider keyToggleProvider = nullptr;

std::optional<bool> PlatformKeyToggled(UINT vk)
{
#ifdef BYTELON_XKB_INDICATORS
    const char* pIndicator = vk == VK_CAPITAL ? "Caps Lock" : vk == VK_NUMLOCK ? "Num Lock" : nullptr;
    auto* pX11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* pDisplay = pX11 ? pX11->display() : nullptr;
    if (!pIndicator || !pDisplay)
        return std::nullopt;
    // The indicators are named by the keyboard map; a map without them reports nothing.
    const Atom name = XInternAtom(pDisplay, pIndicator, True);
    Bool on = False;
    if (name == 0 || !XkbGetNamedIndicator(pDisplay, name, nullptr, &on, nullptr, nullptr))
        return std::nullopt;
    return on != False;
#else
    (void)vk;
    return std::nullopt;
#endif
}

}  // namespace

void AfxSetKeyToggleProvider(CKeyToggleProvider provider)
{
    keyToggleProvider = provider;
}

std::optional<bool> AfxIsKeyToggled(UINT vk)
{
    return keyToggleProvider ? keyToggleProvider(vk) : PlatformKeyToggled(vk);
}
