// The logical font record of the text tool, as the platform's font chooser
// and text rasteriser exchange it.
#pragma once

#include <cstdint>
#include <string>

struct LogFont {
    int32_t lfHeight = 0;       // < 0: em height in pixels; > 0: cell height
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;       // 0 default, 400 normal, 700 bold
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    std::string lfFaceName;     // UTF-8
};
