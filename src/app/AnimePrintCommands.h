// The animation window command (32869) and print (57607).
#pragma once

class CCommandTable;
class CTesvanDoc;
class QWidget;

// Installs both commands with their tick and enable rules, and the hook by
// which the document creates its animation window, owned by `frame`.
void InstallAnimePrintCommands(CCommandTable& table, CTesvanDoc* doc, QWidget* frame);
