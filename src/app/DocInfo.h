// The document summary of "tesvan --info": one JSON object.
#pragma once

#include <QByteArray>
#include <QJsonObject>

#include "doc/TesvanDoc.h"

#include <array>

// Fields of a document as JSON: depth, cell size, columns, rows, background
// (a 0x00BBGGRR value), current cell and layer, zoom, the twelve layer slots
// and the four animation slots. With hasPixels (a document read without its
// pixels), a layer's image is the sheet's size where its record holds pixels.
QJsonObject DocInfoJson(const CTesvanDoc& doc,
                        const std::array<bool, CTesvanDoc::kLayers>* hasPixels = nullptr);

// Reads PATH's settings and layer records (no pixels) and prints its JSON to standard
// output; returns the exit status (1 with the reason on standard error when
// the file cannot be read).
int RunDocInfo(const QString& path);
