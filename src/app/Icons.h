// Toolbar button pictures and the application icon, drawn in code.
#pragma once

#include <QIcon>

// The 16 x 16 picture of a toolbar command; null for other ids.
QIcon CommandIcon(int id);
QIcon AppIcon();
