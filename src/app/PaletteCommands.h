// The commands of palettes, the palette menu and the layer menu.
#pragma once

class CCommandTable;
class CTesvanDoc;
class CTesvanView;

void InstallPaletteCommands(CCommandTable& table, CTesvanDoc* doc, CTesvanView* tabView);
// The per-user settings store of the editor (QSettings "Lumo", "Tesvan")
// for core code; not installed for script runs, which start from defaults.
void InstallSettingsStore();
