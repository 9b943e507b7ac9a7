#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Which assessment text a take-over shows: the BMI text lowered for age and
// raised for women gives the adjusted value, and every assessment file whose
// threshold that value exceeds is read in turn, the last one read remaining.
class Assessment
{
public:
    // The amount of the highest age step whose strict test holds (age greater
    // than 24, 34, 44, 54, 64 gives 1 to 5): 24 is not reduced, 24.5 is.
    // An age text that is no number reduces nothing.
    static int ageReduction(const QString &ageText);

    // The BMI text's number minus the age reduction, plus 1 for a woman.
    // Nothing when the BMI text is no number.
    static std::optional<double> adjustedValue(const QString &bmiText, const QString &ageText, bool female);

    // The paths of bmi0.txt up to the file of the highest threshold exceeded,
    // in the order they are read. Empty for a value of 1 or less, and when the
    // BMI text is no number: the list then keeps what it holds.
    static QStringList files(double adjustedValue);
    static QStringList files(const QString &bmiText, const QString &ageText, bool female);
};
