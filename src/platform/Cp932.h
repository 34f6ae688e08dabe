// Code page 932 (Shift_JIS as Windows extends it) <-> UTF-8, through iconv.
#pragma once

#include <string>

// Converts UTF-8 text to code page 932. Returns false when a character has no
// code there (out is then unspecified).
bool Utf8ToCp932(const std::string& utf8, std::string& out);
// Converts code page 932 bytes to UTF-8; undecodable bytes become U+FFFD.
std::string Cp932ToUtf8(const std::string& cp932);
// UTF-16LE code units <-> UTF-8 (the wide string form of the archives).
std::string Utf16ToUtf8(const std::u16string& utf16);
std::u16string Utf8ToUtf16(const std::string& utf8);
