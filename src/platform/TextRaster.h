// Monochrome text from a logical font record, through FreeType and
// fontconfig. Glyphs are rendered without antialiasing, so every written
// pixel has exactly the text colour.
//
// Font choice: the face name is matched with fontconfig; when no installed
// family has that name, a Japanese gothic face takes its place (IPA P
// Gothic for proportional names, IPA Gothic otherwise, then whatever
// fontconfig offers for Japanese sans-serif). Bold (weight >= 600) and
// italic use real faces when present, else the glyphs are thickened or
// slanted.
//
// Size: lfHeight < 0 is the em height in pixels, > 0 the cell height
// (ascent + descent), 0 a 16-pixel em (12 points on a 96-dpi screen).
// lfWidth, when not 0, scales the glyphs horizontally so that the face's
// average character width becomes lfWidth. Escapement and orientation
// are ignored (text runs horizontally).
#pragma once

#include "platform/LogFont.h"
#include "platform/Surface.h"

#include <cstdint>
#include <string>

// Draws the code-page-932 bytes with the top-left of the text cell at
// (x, y), in transparent mode, clipped to the target. Underline and
// strike-out run across the text's width. False when no font can be loaded.
bool TextOut(const PixelTarget& target, int x, int y, const std::string& cp932,
             const LogFont& font, uint32_t colour);

// Width (sum of the character advances) and cell height of the text, in
// pixels; (0, cell height) for empty text.
SurfaceSize GetTextExtent(const std::string& cp932, const LogFont& font);
