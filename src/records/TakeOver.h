#pragma once

#include <QString>
#include <optional>

// What the user typed for one take-over, exactly as the fields hold it.
struct TakeOverInput
{
    QString firstName;
    QString lastName;
    QString ageText;
    bool male = true;
    bool female = false;
    QString heightText;
    QString weightText;
    QString dateText;
};

// A checked take-over: the BMI and the lines to store.
struct TakeOverPlan
{
    QString bmiText;
    QString filePath;
    QString headerLine;
    QString recordLine;
};

class TakeOver
{
public:
    static const QString &refusalMessage();

    // Nothing when the input must be refused: a name or the age empty or not
    // storable, the age or the measurements not numbers, a path separator in
    // the name, or no finite BMI.
    static std::optional<TakeOverPlan> plan(const TakeOverInput &input);
};
