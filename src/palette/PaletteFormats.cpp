#include "palette/PaletteFormats.h"

#include <cstdio>
#include <string_view>

namespace {

uint32_t Colour(int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }
int Red(uint32_t c) { return int(c & 0xFF); }
int Green(uint32_t c) { return int((c >> 8) & 0xFF); }
int Blue(uint32_t c) { return int((c >> 16) & 0xFF); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The text's lines, split at LF, CRLF or CR, after a UTF-8 byte order mark.
std::vector<std::string_view> Lines(const std::string& bytes)
{
    std::string_view text(bytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// A decimal channel value 0..255 at the front of s (after blanks); s is left
// after it. The number must end at a blank or at the end of s.
bool TakeChannel(std::string_view& s, int& value)
{
    s = TrimBlanks(s);
    size_t n = 0;
    int v = 0;
    while (n < s.size() && s[n] >= '0' && s[n] <= '9') {
        v = v * 10 + (s[n] - '0');
        if (v > 255)
            return false;
        ++n;
    }
    if (n == 0 || (n < s.size() && !IsBlank(s[n])))
        return false;
    value = v;
    s.remove_prefix(n);
    return true;
}

bool TakeColour(std::string_view& s, uint32_t& colour)
{
    int r, g, b;
    if (!TakeChannel(s, r) || !TakeChannel(s, g) || !TakeChannel(s, b))
        return false;
    colour = Colour(r, g, b);
    return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

// The file name's extension in lower case; empty when it has none.
static std::string LowerExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.rfind('.');
    std::string ext;
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return ext;
    for (size_t i = dot + 1; i < path.size(); ++i)
        ext += Lower(path[i]);
    return ext;
}

PaletteFormat PaletteFormatOfPath(const std::string& path)
{
    const std::string ext = LowerExtension(path);
    if (ext == "gpl")
        return PaletteFormat::Gpl;
    if (ext == "pal")
        return PaletteFormat::Jasc;
    if (ext == "act")
        return PaletteFormat::Act;
    if (ext == "hex")
        return PaletteFormat::Hex;
    return PaletteFormat::Plt;
}

PaletteFormat PaletteFormatToRead(const std::string& path, const std::string& bytes)
{
    const PaletteFormat byName = PaletteFormatOfPath(path);
    if (byName != PaletteFormat::Plt)
        return byName;
    // A file named .plt is the editor's own form whatever its first bytes
    // are: its colours may spell a text header by chance.
    if (LowerExtension(path) == "plt")
        return PaletteFormat::Plt;
    std::string_view head(bytes);
    if (head.substr(0, 3) == "\xEF\xBB\xBF")
        head.remove_prefix(3);
    if (StartsWith(head, "GIMP Palette"))
        return PaletteFormat::Gpl;
    if (StartsWith(head, "JASC-PAL"))
        return PaletteFormat::Jasc;
    return PaletteFormat::Plt;
}

bool ReadGplPalette(const std::string& bytes, CPaletteColours& out)
{
    out = {};
    const std::vector<std::string_view> lines = Lines(bytes);
    if (lines.empty() || !StartsWith(TrimBlanks(lines[0]), "GIMP Palette"))
        return false;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = TrimBlanks(lines[i]);
        if (line.empty() || line.front() == '#')
            continue;
        if (StartsWith(line, "Name:")) {
            out.name = std::string(TrimBlanks(line.substr(5)));
            continue;
        }
        if (StartsWith(line, "Columns:"))
            continue;
        uint32_t colour;
        if (!TakeColour(line, colour))
            return false;
        out.colours.push_back(colour);   // the rest of the line is the colour's name
    }
    return !out.colours.empty();
}

bool ReadJascPalette(const std::string& bytes, CPaletteColours& out)
{
    out = {};
    std::vector<std::string_view> lines;
    for (std::string_view line : Lines(bytes)) {
        line = TrimBlanks(line);
        if (!line.empty())
            lines.push_back(line);
    }
    if (lines.size() < 3 || lines[0] != "JASC-PAL" || lines[1] != "0100")
        return false;
    size_t count = 0;
    for (char c : lines[2]) {
        if (c < '0' || c > '9' || count > 100000)
            return false;
        count = count * 10 + size_t(c - '0');
    }
    // The lines must all be there; lines after them are not the palette's.
    if (count == 0 || lines.size() - 3 < count)
        return false;
    for (size_t i = 0; i < count; ++i) {
        std::string_view line = lines[3 + i];
        uint32_t colour;
        int alpha;
        if (!TakeColour(line, colour))
            return false;
        // Some writers add an alpha value; it has no place in the palette.
        if (!TrimBlanks(line).empty() && (!TakeChannel(line, alpha) || !TrimBlanks(line).empty()))
            return false;
        out.colours.push_back(colour);
    }
    return true;
}

bool ReadActPalette(const std::string& bytes, CPaletteColours& out)
{
    out = {};
    if (bytes.size() != 768 && bytes.size() != 772)
        return false;
    auto byte = [&](size_t i) { return int(static_cast<unsigned char>(bytes[i])); };
    int count = 256;
    if (bytes.size() == 772) {
        count = byte(768) << 8 | byte(769);
        const int transparent = byte(770) << 8 | byte(771);
        if (count == 0 || count > 256)
            return false;
        // 0xFFFF, or any index outside the colours, marks none.
        out.transparent = transparent < count ? transparent : -1;
    }
    for (int i = 0; i < count; ++i)
        out.colours.push_back(Colour(byte(3 * size_t(i)), byte(3 * size_t(i) + 1), byte(3 * size_t(i) + 2)));
    return true;
}

bool ReadHexPalette(const std::string& bytes, CPaletteColours& out)
{
    out = {};
    for (std::string_view line : Lines(bytes)) {
        line = TrimBlanks(line);
        if (line.empty())
            continue;
        if (line.front() == '#')
            line.remove_prefix(1);
        if (line.size() != 6)
            return false;
        int v[6];
        for (int k = 0; k < 6; ++k)
            if ((v[k] = HexDigit(line[size_t(k)])) < 0)
                return false;
        out.colours.push_back(Colour(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]));
    }
    return !out.colours.empty();
}

bool ReadPaletteColours(PaletteFormat format, const std::string& bytes, CPaletteColours& out)
{
    switch (format) {
    case PaletteFormat::Gpl: return ReadGplPalette(bytes, out);
    case PaletteFormat::Jasc: return ReadJascPalette(bytes, out);
    case PaletteFormat::Act: return ReadActPalette(bytes, out);
    case PaletteFormat::Hex: return ReadHexPalette(bytes, out);
    case PaletteFormat::Plt: break;
    }
    return false;
}

std::string WritePaletteColours(PaletteFormat format, const CPaletteColours& palette)
{
    std::string text;
    char line[64];
    const std::vector<uint32_t>& colours = palette.colours;
    switch (format) {
    case PaletteFormat::Gpl: {
        text = "GIMP Palette\nName: ";
        for (char c : palette.name)
            text += c == '\n' || c == '\r' ? ' ' : c;
        text += "\nColumns: 16\n#\n";
        for (size_t i = 0; i < colours.size(); ++i) {
            std::snprintf(line, sizeof line, "%3d %3d %3d\tIndex %zu\n", Red(colours[i]),
                          Green(colours[i]), Blue(colours[i]), i);
            text += line;
        }
        break;
    }
    case PaletteFormat::Jasc:
        text = "JASC-PAL\r\n0100\r\n" + std::to_string(colours.size()) + "\r\n";
        for (uint32_t c : colours) {
            std::snprintf(line, sizeof line, "%d %d %d\r\n", Red(c), Green(c), Blue(c));
            text += line;
        }
        break;
    case PaletteFormat::Act: {
        const size_t count = colours.size() < 256 ? colours.size() : 256;
        text.assign(768, '\0');
        for (size_t i = 0; i < count; ++i) {
            text[3 * i] = char(Red(colours[i]));
            text[3 * i + 1] = char(Green(colours[i]));
            text[3 * i + 2] = char(Blue(colours[i]));
        }
        const bool transparent = palette.transparent >= 0 && size_t(palette.transparent) < count;
        if (count < 256 || transparent) {
            const int t = transparent ? palette.transparent : 0xFFFF;
            text += char(count >> 8);
            text += char(count & 0xFF);
            text += char(t >> 8);
            text += char(t & 0xFF);
        }
        break;
    }
    case PaletteFormat::Hex:
        for (uint32_t c : colours) {
            std::snprintf(line, sizeof line, "%02x%02x%02x\n", Red(c), Green(c), Blue(c));
            text += line;
        }
        break;
    case PaletteFormat::Plt:
        break;
    }
    return text;
}
