// Key flags of a button message, as the canvas sends them and the document's
// pointer operations read them.
#pragma once

constexpr unsigned kKeyFlagLButton = 0x0001;
constexpr unsigned kKeyFlagRButton = 0x0002;
constexpr unsigned kKeyFlagShift = 0x0004;
constexpr unsigned kKeyFlagControl = 0x0008;
constexpr unsigned kKeyFlagAlt = 0x0100;  // Alt held: a drawing tool's press picks a colour
