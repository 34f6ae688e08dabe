// The fields scripts print by name ("print field NAME", "print layer N NAME").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CTesvanDoc;
class CLayer;

// The field's text as a script prints it; false for an unknown name.
bool DocFieldText(const CTesvanDoc& doc, const std::string& name, std::string& out);
bool LayerFieldText(const CLayer& layer, const std::string& name, std::string& out);
// Every document field name, in table order.
std::vector<std::string> DocFieldNames();

// Upper-case hexadecimal of v, zero-padded to `digits`.
std::string HexText(uint32_t v, int digits);
// A colour value 0x00BBGGRR as scripts print it: "0x" and six digits.
std::string ColorText(uint32_t c);
