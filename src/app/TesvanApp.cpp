#include "app/TesvanApp.h"

#include <QMainWindow>

bool CTesvanApp::InitInstance(const QStringList&)
{
    auto* window = new QMainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("無題 - Tesvan"));
    window->show();
    return true;
}
