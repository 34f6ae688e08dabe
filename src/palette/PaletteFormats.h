// Palette files of other editors: GIMP (.gpl), JASC (.pal), Adobe colour
// tables (.act) and plain hex lists (.hex). Readers take the file's bytes
// and refuse anything malformed as a whole; writers give the bytes to write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class PaletteFormat { Plt, Gpl, Jasc, Act, Hex };

// By the path's extension, without regard to case; any other extension is
// the editor's own form.
PaletteFormat PaletteFormatOfPath(const std::string& path);
// For reading: as above, except that a file under another extension whose
// bytes start like a GIMP or JASC palette is read as one.
PaletteFormat PaletteFormatToRead(const std::string& path, const std::string& bytes);

struct CPaletteColours {
    std::vector<uint32_t> colours;  // colour values 0x00BBGGRR, in file order
    int transparent = -1;           // .act: index of the colour marked transparent
    std::string name;               // .gpl: the palette's name
};

// Each reader: false (and out unspecified) for a malformed or empty palette.
// Lines may end in LF, CRLF or CR; a UTF-8 byte order mark is skipped.
bool ReadGplPalette(const std::string& bytes, CPaletteColours& out);
bool ReadJascPalette(const std::string& bytes, CPaletteColours& out);
bool ReadActPalette(const std::string& bytes, CPaletteColours& out);
bool ReadHexPalette(const std::string& bytes, CPaletteColours& out);
// The reader of the format (not Plt).
bool ReadPaletteColours(PaletteFormat format, const std::string& bytes, CPaletteColours& out);

// The writer of the format (not Plt). An .act holds at most 256 colours; it
// carries its count and transparent index after the table when it has fewer
// colours or a transparent one.
std::string WritePaletteColours(PaletteFormat format, const CPaletteColours& palette);
