// The map window and the map commands.
#pragma once

class CCommandTable;
class CTesvanDoc;
class CMapWindow;
class QWidget;

void InstallMapCommands(CCommandTable& table, CTesvanDoc* doc, QWidget* frame);
// The map window, made on first use (not shown by making it).
CMapWindow* MapWindow();
