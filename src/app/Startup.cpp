#include "app/Startup.h"

#include "records/StationLocale.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void Startup::prepare(QApplication &app)
{
    QLocale::setDefault(StationLocale::locale());

    // The whole window speaks German, so Qt's own buttons do too ("Abbrechen").
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
}
