// Handlers and rules of the image-exchange commands: export, sheet size,
// and the layer menu's layer-file and image-load items.
#pragma once

class CCommandTable;
class CTesvanDoc;
class CTesvanView;

void InstallExchangeCommands(CCommandTable& table, CTesvanDoc* doc, CTesvanView* tabView);
