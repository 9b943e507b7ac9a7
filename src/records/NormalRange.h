#pragma once

#include <QString>
#include <optional>

// The normal BMI range by age bracket and sex, and the value a record line
// is plotted at, held to the plotted scale of 15 to 41.
struct NormalRange
{
    int lower = 19;
    int upper = 24;

    static NormalRange forAge(double age, const QString &sexLetter);
    // From the stored age of a header line; a text that is no number counts
    // as bracket 1.
    static NormalRange forStoredAge(const QString &storedAge, const QString &sexLetter);

    // Nothing when the record BMI (the line's last two characters) is no number.
    static std::optional<int> plotValue(const QString &recordLine);
};
