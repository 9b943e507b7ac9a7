#pragma once

#include "system/TextLines.h"

#include <QString>
#include <QStringList>
#include <optional>

// Which assessment text a take-over shows: the BMI text lowered for age and
// raised for women gives the adjusted value, and every assessment file whose
// threshold that value exceeds is read in turn, the last one read remaining.
class Assessment
{
public:
    // The paths of bmi0.txt up to the file of the highest threshold the
    // adjusted value exceeds, in reading order. None for a value of 1 or less,
    // and when the BMI text is no number. An age that is no number reduces nothing.
    static QStringList files(const QString &bmiText, const QString &ageText, bool female);

    // The lines of an assessment file, or nothing and the message saying why.
    static std::optional<TextLines> read(const QString &path, QString &message);
};
