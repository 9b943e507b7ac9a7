#include "platform/DataFolder.h"

#include <QDir>

QString DataFolder::path()
{
#ifdef Q_OS_WIN
    return QStringLiteral("c:/Eigene Dateien/");
#else
    return QDir::homePath() + QStringLiteral("/Eigene Dateien/");
#endif
}
