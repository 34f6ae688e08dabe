// The Drawing tools menu (tools, pen widths, font), the selection tools'
// tool part, the thick and thin brushes and the eyedropper.
#pragma once

class CCommandTable;
class CTesvanDoc;

void InstallToolCommands(CCommandTable& table, CTesvanDoc* doc);
