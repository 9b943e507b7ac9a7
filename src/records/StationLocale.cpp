#include "records/StationLocale.h"

#include <QRegularExpression>

QLocale StationLocale::locale()
{
    QLocale l = QLocale::system();
    if (l.language() == QLocale::C)
        l = QLocale(QLocale::German, QLocale::Germany);
    l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return l;
}

QString StationLocale::numberToText(double value)
{
    return locale().toString(value, 'g', 15);
}

std::optional<double> StationLocale::textToNumber(const QString &text)
{
    bool ok = false;
    const double value = locale().toDouble(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString StationLocale::shortDate(const QDate &date)
{
    const QLocale l = locale();
    QString format = l.dateFormat(QLocale::ShortFormat);
    // Many locales abbreviate the year; the station always shows all four digits.
    static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(shortYear, QStringLiteral("yyyy"));
    return l.toString(date, format);
}
