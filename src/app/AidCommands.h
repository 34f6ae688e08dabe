// The drawing aids' commands (onion skin, wrap mode, symmetry, pixel-perfect
// pencil) and their settings.
#pragma once

class CCommandTable;
class CTesvanDoc;
class QSettings;

void InstallAidCommands(CCommandTable& table, CTesvanDoc* doc);
// The aids' settings (pixel-perfect pencil, onion colours, opacity and
// frames) from and to the settings store; nothing happens in batch runs.
void LoadAidSettings(CTesvanDoc& doc);
void SaveAidSettings(const CTesvanDoc& doc);
// Puts them into a settings change (see ChangeSettings).
void WriteAidSettings(const CTesvanDoc& doc, QSettings& settings);
