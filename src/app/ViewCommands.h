// The canvas's view commands: zoom, current layer only, background colour,
// grid and character lines.
#pragma once

class CCommandTable;
class CTesvanDoc;

void InstallViewCommands(CCommandTable& table, CTesvanDoc* doc);
