// The sprite-sheet data as JSON, in the two shapes game frameworks read:
// frames keyed "0".."n-1" (hash) or an array of frames with "filename".
#pragma once

#include "exchange/AnimeExport.h"

#include <QByteArray>

enum class SheetJsonForm { Hash, Array };

QByteArray SheetJson(const SheetData& data, SheetJsonForm form);

// Writes the sheet picture and its data file; the message says what failed
// (empty on success).
bool ExportSheetWithData(CTesvanDoc& doc, const std::string& imagePath, const std::string& dataPath,
                         SheetJsonForm form, int scale, std::string& message);
