#include "app/LockKeys.h"

#include <QGuiApplication>

#include <dlfcn.h>

namespace {

// XkbGetIndicatorState of the X library the xcb platform has loaded; looked
// up at run time so the program needs no X headers or link of its own.
using GetIndicatorStateFn = int (*)(void* display, unsigned int device, unsigned int* state);
constexpr unsigned int kUseCoreKeyboard = 0x0100;

GetIndicatorStateFn IndicatorFunction()
{
    static GetIndicatorStateFn fn = [] {
        void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        return lib ? reinterpret_cast<GetIndicatorStateFn>(dlsym(lib, "XkbGetIndicatorState"))
                   : nullptr;
    }();
    return fn;
}

} // namespace

LockKeyState ReadLockKeys()
{
    LockKeyState state;
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return state;
    GetIndicatorStateFn fn = IndicatorFunction();
    unsigned int bits = 0;
    if (!fn || fn(x11->display(), kUseCoreKeyboard, &bits) != 0)
        return state;
    // The core keyboard's first three indicators: Caps, Num, Scroll Lock.
    state.known = true;
    state.caps = bits & 1;
    state.num = bits & 2;
    state.scroll = bits & 4;
    return state;
}
