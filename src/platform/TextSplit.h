// Splitting texts of code page 932 at a separator, double-byte characters
// taken as units so that a separator byte inside one is never matched.
// Used for the size presets and the animation frame lists.
#pragma once

#include <string>
#include <vector>

// True for a byte that starts a double-byte character of code page 932.
inline bool IsCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Position of the first occurrence of sep in text, searched character by
// character; npos when there is none or sep is empty.
size_t FindCp932(const std::string& text, const std::string& sep);

// Splits at the first occurrence: head before it, tail after it, true. No
// occurrence (or an empty separator): head = text, tail empty, false.
bool SplitAt(const std::string& text, const std::string& sep, std::string& head, std::string& tail);

// Splits at every occurrence; empty pieces are kept, nothing is trimmed.
// The empty text gives one empty piece. Returns the number of pieces.
int SplitList(const std::string& text, const std::string& sep, std::vector<std::string>& pieces);

// The folder part of a path: up to and including its last "\" or "/"
// (a trail byte of a double-byte character does not count); empty when
// there is none. UTF-8 paths never put those bytes inside a character.
std::string FolderPart(const std::string& path);
