#include "busycursor.h"

#include <QCursor>
#include <QGuiApplication>

BusyCursor::BusyCursor(bool busy) : shown(busy)
{
    if (shown)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor()
{
    if (shown)
        QGuiApplication::restoreOverrideCursor();
}
