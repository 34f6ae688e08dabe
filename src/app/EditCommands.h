// Handlers and enable rules of the Edit menu's document commands.
#pragma once

class CCommandTable;
class CTesvanDoc;

void InstallEditCommands(CCommandTable& table, CTesvanDoc* doc);
