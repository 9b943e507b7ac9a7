#include "records/TakeOver.h"

#include "platform/TextFile.h"
#include "records/BmiCalculation.h"
#include "records/PersonFile.h"
#include "records/StationLocale.h"

#include <cmath>

const QString &TakeOver::refusalMessage()
{
    static const QString text = QStringLiteral("Daten nicht übernommen! Bitte Eingaben überprüfen!");
    return text;
}

std::optional<TakeOverPlan> TakeOver::plan(const TakeOverInput &in)
{
    if (in.firstName.isEmpty() || in.lastName.isEmpty() || in.ageText.isEmpty())
        return std::nullopt;

    for (const QString *field : {&in.firstName, &in.lastName, &in.ageText, &in.heightText, &in.weightText, &in.dateText}) {
        if (!TextFile::isStorable(*field))
            return std::nullopt;
    }

    const QString fullName = PersonFile::fullName(in.firstName, in.lastName);
    if (!PersonFile::staysInDataFolder(fullName))
        return std::nullopt;

    const auto age = StationLocale::textToNumber(in.ageText);
    if (!age || !std::isfinite(*age))
        return std::nullopt;

    const auto decimal = BmiCalculation::bmiDecimalText(in.weightText, in.heightText);
    if (!decimal)
        return std::nullopt;

    TakeOverPlan plan;
    plan.bmiText = BmiCalculation::bmiText(*decimal);
    plan.filePath = PersonFile::path(fullName);
    plan.headerLine = PersonFile::headerLine(fullName, PersonFile::sexWord(in.male, in.female), in.ageText);
    plan.recordLine = PersonFile::recordLine(in.dateText, in.weightText, in.heightText, plan.bmiText);
    return plan;
}
