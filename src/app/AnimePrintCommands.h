// The animation window command and print.
#pragma once

class CCommandTable;
class CTesvanDoc;
class QWidget;

// Installs both commands with their tick and enable rules, and the hook by
// which the document creates its animation window, owned by `frame`.
void InstallAnimePrintCommands(CCommandTable& table, CTesvanDoc* doc, QWidget* frame);
