#include "app/FirstPaintExit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

bool FirstPaintExit::requested()
{
    return qEnvironmentVariableIsSet("BMI_PONDRA_EXIT_AFTER_FIRST_PAINT");
}

bool FirstPaintExit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
        QCoreApplication::instance()->removeEventFilter(this);
        // Quit once this paint is done, not in the middle of it.
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    }
    return false;
}
