// Handlers of the console commands: the export, the check the views
// outline, and the colour precision.
#pragma once

class CCommandTable;
class CTesvanDoc;

void InstallConsoleCommands(CCommandTable& table, CTesvanDoc* doc);
