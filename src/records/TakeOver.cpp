#include "records/TakeOver.h"

#include "system/CodePage.h"
#include "records/PersonFile.h"
#include "records/StationLocale.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kRefusal = QStringLiteral("Daten nicht übernommen! Bitte Eingaben überprüfen!");

// "1e3": the station's numbers are written without. Qt reads a Latin "e"
// or "E" as an exponent in every locale, and a locale's own exponent when
// that is one letter ("Е"); one of several characters ("×10^") it only writes.
bool hasExponent(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); })
        || text.contains(StationLocale::locale().exponential());
}

// A measurement is a plain number above zero: zero or less measures nothing,
// and an exponent ("1e3") would be stored as typed though it means another size.
std::optional<double> measurement(const QString &text)
{
    const auto number = StationLocale::textToNumber(text);
    if (!number || !std::isfinite(*number) || *number <= 0
        || hasExponent(text))
        return std::nullopt;
    return number;
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

    const std::pair<const QString &, QString> fields[] = {{in.ageText, QStringLiteral("Alter")},
                                                          {in.heightText, QStringLiteral("Größe")},
                                                          {in.weightText, QStringLiteral("Gewicht")}};
    double value[std::size(fields)];
    for (size_t i = 0; i < std::size(fields); ++i) {
        const auto number = measurement(fields[i].first);
        if (!number)
            return kRefusal + QStringLiteral("\n„%1“ muss eine Zahl größer als 0 sein, mit „%2“ vor den "
                                             "Nachkommastellen und ohne Exponent.").arg(fields[i].second, StationLocale::locale().decimalPoint());
        value[i] = *number;
    }
    const double metres = value[1] / 1000.0;
    const double bmi = value[2] / (metres * metres);
    // Only the first two characters are stored: from 100 on, or written with
    // an exponent, they would show another number.
    const QString bmiText = StationLocale::numberToText(bmi);
    const auto shown = hasExponent(bmiText) ? std::nullopt : StationLocale::textToNumber(bmiText);
    if (!shown || *shown >= 100)
        return kRefusal + QStringLiteral("\n„Größe“ und „Gewicht“ ergeben einen BMI %1.")
                              .arg(bmi > 1 ? QStringLiteral("von 100 oder mehr") : QStringLiteral("nahe 0"));

    TakeOverPlan plan;
    plan.bmiText = bmiText.left(2);
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
