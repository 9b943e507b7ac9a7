#include "app/Startup.h"

#include "records/StationLocale.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void Startup::prepare(QApplication &app)
{
    QLocale::setDefault(StationLocale::locale());

    // The whole window speaks German, so Qt's own buttons do too ("Abbrechen"):
    // built in on Windows, from the system's Qt elsewhere.
    auto *translator = new QTranslator(&app);
    for (const QString &folder : {QStringLiteral(":/translations"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            app.installTranslator(translator);
            break;
        }
    }
}
