#pragma once

#include <QByteArray>
#include <QString>
#include <variant>

// What the user typed for one take-over, exactly as the fields hold it.
struct TakeOverInput
{
    QString firstName;
    QString lastName;
    QString ageText;
    bool male = false;
    bool female = false;
    QString heightText;
    QString weightText;
    QString dateText;
};

// A checked take-over: the BMI text to show and the lines to store.
struct TakeOverPlan
{
    QString bmiText;
    QString path;
    QByteArray headerLine;
    QByteArray recordLine;
};

class TakeOver
{
public:
    // The plan, or the message that refuses the input: a name or the age
    // empty, a control character, a name that cannot be a file name, an age,
    // height or weight that is not a plain number above zero, a BMI whose two
    // characters would show another number, or a character the person file
    // cannot hold.
    static std::variant<TakeOverPlan, QString> plan(const TakeOverInput &input);
};
