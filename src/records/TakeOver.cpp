#include "records/TakeOver.h"

#include "system/CodePage.h"
#include "records/PersonFile.h"
#include "records/StationLocale.h"

#include <cmath>

namespace {

const QString kRefusal = QStringLiteral("Daten nicht übernommen! Bitte Eingaben überprüfen!");

bool finite(const std::optional<double> &number)
{
    return number && std::isfinite(*number);
}

} // namespace

std::variant<TakeOverPlan, QString> TakeOver::plan(const TakeOverInput &in)
{
    if (in.firstName.isEmpty() || in.lastName.isEmpty() || in.ageText.isEmpty())
        return kRefusal;
    const QString fullName = PersonFile::fullName(in.firstName, in.lastName);
    const QString forbidden = PersonFile::forbiddenCharacter(fullName);
    if (!forbidden.isEmpty())
        return kRefusal + QStringLiteral("\nDas Zeichen „%1“ ist in Namen nicht erlaubt.").arg(forbidden);
    for (const QString &field : {in.ageText, in.heightText, in.weightText, in.dateText}) {
        if (std::any_of(field.begin(), field.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
            return kRefusal; // it would break the file's lines
    }

    const auto age = StationLocale::textToNumber(in.ageText);
    const auto height = StationLocale::textToNumber(in.heightText);
    const auto weight = StationLocale::textToNumber(in.weightText);
    if (!finite(age) || !finite(height) || !finite(weight))
        return kRefusal;
    const double metres = *height / 1000.0;
    const double bmi = *weight / (metres * metres);
    if (!std::isfinite(bmi))
        return kRefusal;

    TakeOverPlan plan;
    plan.bmiText = StationLocale::numberToText(bmi).left(2);
    plan.path = PersonFile::path(fullName);
    QString unstorable;
    const auto header = CodePage::encode(
        PersonFile::headerLine(fullName, PersonFile::sexWord(in.male, in.female), in.ageText), &unstorable);
    const auto record = header ? CodePage::encode(
        PersonFile::recordLine(in.dateText, in.weightText, in.heightText, plan.bmiText), &unstorable) : header;
    if (!record)
        return kRefusal + QStringLiteral("\nDas Zeichen „%1“ kann in der Datei nicht gespeichert werden.").arg(unstorable);
    plan.headerLine = *header;
    plan.recordLine = *record;
    return plan;
}
