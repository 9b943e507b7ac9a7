#pragma once

#include <QString>
#include <optional>

// The body-mass index from the typed height (mm) and weight (kg), and the
// one or two characters of it that the station shows and stores.
class BmiCalculation
{
public:
    // The full decimal text of the BMI, or nothing when height or weight is
    // not a finite number, the height is zero, or the BMI is not finite.
    static std::optional<QString> bmiDecimalText(const QString &weightText, const QString &heightText);

    // The first two characters of the decimal text (one when it has only one).
    static QString bmiText(const QString &decimalText);
};
