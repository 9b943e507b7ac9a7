#include "records/BmiCalculation.h"

#include "records/StationLocale.h"

#include <cmath>

std::optional<QString> BmiCalculation::bmiDecimalText(const QString &weightText, const QString &heightText)
{
    const auto height = StationLocale::textToNumber(heightText);
    const auto weight = StationLocale::textToNumber(weightText);
    if (!height || !weight || !std::isfinite(*height) || !std::isfinite(*weight) || *height == 0.0)
        return std::nullopt;

    const double metres = *height / 1000.0;
    const double square = metres * metres;
    const double bmi = *weight / square;
    if (!std::isfinite(bmi))
        return std::nullopt;
    return StationLocale::numberToText(bmi);
}

QString BmiCalculation::bmiText(const QString &decimalText)
{
    return decimalText.left(2);
}
