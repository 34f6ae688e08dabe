// A map leaving the editor: a picture of it, or a Tiled map (.tmx or .tmj)
// with its tileset (DOC.tsx or DOC.tsj) and the sheet's picture (DOC.png)
// beside it, written together as one set.
#pragma once

#include <string>

class CTesvanDoc;

enum class MapExportKind { None, Picture, Tmx, Tmj };

// The kind the output's extension asks for (.png, .tmx, .tmj).
MapExportKind MapExportKindOf(const std::string& path);

// Map `map` (index) to `path`; `scale` 1..16 for pictures. False with the
// reason in *error; nothing is written then.
bool ExportMap(CTesvanDoc& doc, int map, const std::string& path, int scale, std::string& error);

// The name the tileset files take: the document's file name without ".tvn"
// ("無題" without a file name).
std::string MapTilesetBaseName(const CTesvanDoc& doc);

// "マップ書き出し...": the current map, to a file chosen in the save dialog;
// a failure is reported.
void OnExportMap(CTesvanDoc& doc);
