// The Caps, Num and Scroll Lock states, where the windowing system tells them.
#pragma once

struct LockKeyState {
    bool known = false;     // false: the platform does not say
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

LockKeyState ReadLockKeys();
