// The Drawing tools menu (tools, pen widths, font), the selection tools'
// tool part, 32795/32830 and the eyedropper.
#pragma once

class CCommandTable;
class CTesvanDoc;

void InstallToolCommands(CCommandTable& table, CTesvanDoc* doc);
