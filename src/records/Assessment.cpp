#include "records/Assessment.h"

#include "platform/DataFolder.h"
#include "records/StationLocale.h"

namespace {

// Lower bounds (exclusive) of the age steps; the reduction is the step's number.
constexpr double kAgeSteps[] = {24, 34, 44, 54, 64};

// Threshold (exclusive) of each assessment file bmi0 .. bmi5.
constexpr double kThresholds[] = {1, 15, 18, 23, 28, 38};

} // namespace

int Assessment::ageReduction(const QString &ageText)
{
    const auto age = StationLocale::textToNumber(ageText);
    if (!age)
        return 0;
    int reduction = 0;
    for (int step = 0; step < int(std::size(kAgeSteps)); ++step) {
        // A NaN age fails every test and so reduces nothing as well.
        if (*age > kAgeSteps[step])
            reduction = step + 1;
    }
    return reduction;
}

std::optional<double> Assessment::adjustedValue(const QString &bmiText, const QString &ageText, bool female)
{
    // A one-digit BMI keeps the decimal separator ("7,"); the strict
    // conversion reads that as the digit.
    const auto bmi = StationLocale::textToNumber(bmiText);
    if (!bmi)
        return std::nullopt;
    double value = *bmi - ageReduction(ageText);
    if (female)
        value += 1;
    return value;
}

QStringList Assessment::files(double adjustedValue)
{
    QStringList paths;
    for (int i = 0; i < int(std::size(kThresholds)); ++i) {
        if (adjustedValue > kThresholds[i])
            paths << DataFolder::path() + QStringLiteral("bmi%1.txt").arg(i);
    }
    return paths;
}

QStringList Assessment::files(const QString &bmiText, const QString &ageText, bool female)
{
    const auto value = adjustedValue(bmiText, ageText, female);
    return value ? files(*value) : QStringList();
}
