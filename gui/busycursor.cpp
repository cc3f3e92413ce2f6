#include "busycursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace corvane {

BusyCursor::BusyCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    // The wait that follows blocks the event loop: the display must have the cursor first.
    QGuiApplication::sync();
}

BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

} // namespace corvane
