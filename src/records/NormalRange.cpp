#include "records/NormalRange.h"

#include "records/PersonFile.h"
#include "records/StationLocale.h"

#include <cmath>

NormalRange NormalRange::forAge(double age, const QString &sexLetter)
{
    int lower = 19;
    if (age > 64)
        lower = 24;
    else if (age > 54)
        lower = 23;
    else if (age > 44)
        lower = 22;
    else if (age > 34)
        lower = 21;
    else if (age > 24)
        lower = 20;
    if (sexLetter == QLatin1String("w"))
        lower -= 1;
    return {lower, lower + 5};
}

NormalRange NormalRange::forStoredAge(const QString &storedAge, const QString &sexLetter)
{
    // NaN compares false everywhere and so falls into bracket 1 as well.
    return forAge(StationLocale::textToNumber(storedAge).value_or(0), sexLetter);
}

std::optional<int> NormalRange::plotValue(const QString &recordLine)
{
    const auto bmi = StationLocale::textToNumber(PersonFile::recordBmi(recordLine));
    if (!bmi || std::isnan(*bmi))
        return std::nullopt;
    if (*bmi > 40)
        return 41;
    if (*bmi < 15)
        return 15;
    // Two characters with a fraction ("9,") lie below 15; what is left is whole.
    return int(*bmi);
}
