// The application object: settings, the document, the main window.
#pragma once

#include <QStringList>

class CTesvanApp {
public:
    // Starts the editor as the person at the screen sees it; false ends the
    // program without a window.
    bool InitInstance(const QStringList& arguments);
};
