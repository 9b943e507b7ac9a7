#include "records/Assessment.h"

#include "system/Native.h"
#include "system/TextFile.h"
#include "records/PersonFile.h"
#include "records/StationLocale.h"

#include <QDir>

namespace {

// Strict lower bounds of the age steps, each lowering the value by 1 more.
constexpr double kAgeSteps[] = {24, 34, 44, 54, 64};
// Strict thresholds of bmi0.txt .. bmi5.txt.
constexpr double kThresholds[] = {1, 15, 18, 23, 28, 38};

} // namespace

QStringList Assessment::files(const QString &bmiText, const QString &ageText, bool female)
{
    // A one-digit BMI text keeps its decimal separator ("7,"); it counts as the digit.
    const auto bmi = StationLocale::textToNumber(bmiText);
    if (!bmi)
        return {};
    // The steps rise, so the number of them the age exceeds is the highest one's.
    double value = *bmi;
    const double age = StationLocale::textToNumber(ageText).value_or(0);
    for (const double step : kAgeSteps) {
        if (age > step)
            value -= 1;
    }
    if (female)
        value += 1;

    QStringList paths;
    for (int i = 0; i < int(std::size(kThresholds)); ++i) {
        if (value > kThresholds[i])
            paths << QString::fromStdString(Native::dataFolder()) + QStringLiteral("bmi%1.txt").arg(i);
    }
    return paths;
}

std::optional<TextLines> Assessment::read(const QString &path, QString &message)
{
    TextFile::Contents text = TextFile::read(path);
    if (text.status == TextFile::Status::Read)
        return TextLines::operatorText(std::move(text.bytes));
    message = text.status == TextFile::Status::Missing
        ? QStringLiteral("Bewertungsdatei fehlt: %1").arg(QDir::toNativeSeparators(path))
        : PersonFile::unreadableMessage(path, text.reason);
    return std::nullopt;
}
