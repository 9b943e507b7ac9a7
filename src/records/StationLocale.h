#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

// Numbers and dates the way the station shows and stores them: the user's
// regional settings, falling back to German (Germany) where the system has
// none (the C/POSIX locale), since the station was laid out for it.
class StationLocale
{
public:
    static QLocale locale();

    // At most 15 significant digits, no digit grouping.
    static QString numberToText(double value);

    // Strict: the whole text must denote a number; surrounding blanks are allowed.
    static std::optional<double> textToNumber(const QString &text);

    // Short date with a four-digit year, no time of day.
    static QString shortDate(const QDate &date);
};
