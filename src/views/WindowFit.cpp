#include "views/WindowFit.h"

#include <QApplication>
#include <QEvent>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// The frame around a window (its title bar above): known once the window
// manager has framed a window; a new window's is taken to be the same.
QMargins g_frameMargins;

class CWindowFitter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->isWindow() && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
                FitWindowOnScreen(w);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void FitWindowOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect inner = window->geometry();
    const QRect frame = window->frameGeometry();
    if (frame != inner)
        g_frameMargins = QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                                  frame.right() - inner.right(), frame.bottom() - inner.bottom());
    const QMargins m = g_frameMargins;
    const QRect avail = screen->availableGeometry().marginsRemoved(m);
    const QSize size = inner.size().boundedTo(avail.size()).expandedTo(window->minimumSize());
    if (size != inner.size())
        window->resize(size);
    const int x = std::clamp(inner.left(), avail.left(), std::max(avail.left(), avail.right() + 1 - size.width()));
    const int y = std::clamp(inner.top(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - size.height()));
    if (x != inner.left() || y != inner.top())
        window->move(x - m.left(), y - m.top());    // a window moves by its frame
}

void FitWindowsAsTheyShow(bool fit)
{
    static CWindowFitter* fitter = nullptr;
    if (fit && !fitter && qApp) {
        fitter = new CWindowFitter(qApp);
        qApp->installEventFilter(fitter);
    } else if (!fit && fitter) {
        delete fitter;
        fitter = nullptr;
    }
}
