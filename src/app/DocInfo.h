// The document summary of "tesvan --info": one JSON object.
#pragma once

#include <QByteArray>
#include <QJsonObject>

class CTesvanDoc;

// Fields of a document as JSON: depth, cell size, columns, rows, background
// (a 0x00BBGGRR value), current cell and layer, zoom, the twelve layer slots
// and the four animation slots.
QJsonObject DocInfoJson(const CTesvanDoc& doc);

// Opens PATH into a document of its own and prints its JSON to standard
// output; returns the exit status (1 with the reason on standard error when
// the file cannot be read).
int RunDocInfo(const QString& path);
