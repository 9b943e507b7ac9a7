// Plot value of a record line: nothing when the record BMI is no number,
// otherwise a value on the plotted scale of 15 to 41. For a record the
// take-over wrote, the value follows the BMI computed from weight and height.
#include "FuzzInput.h"
#include "records/BmiCalculation.h"
#include "records/NormalRange.h"
#include "records/PersonFile.h"
#include "records/StationLocale.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);

    const QString line = FuzzInput::stored(input.bytes());
    const auto value = NormalRange::plotValue(line);
    const auto number = StationLocale::textToNumber(PersonFile::recordBmi(line));
    FuzzInput::require(value.has_value() == (number && !std::isnan(*number)), "nothing exactly when no number");
    if (value)
        FuzzInput::require(*value >= 15 && *value <= 41, "on the plotted scale");

    // weight | height, typed at the station and stored by the take-over
    const QList<QByteArray> f = input.fields(2);
    const QString weight = FuzzInput::typed(f[0]);
    const QString height = FuzzInput::typed(f[1]);
    const auto decimal = BmiCalculation::bmiDecimalText(weight, height);
    if (!decimal)
        return 0;
    const QString record = PersonFile::recordLine(QStringLiteral("05.02.2002"), weight, height,
                                                  BmiCalculation::bmiText(*decimal));
    const auto plotted = NormalRange::plotValue(record);
    const auto written = StationLocale::textToNumber(*decimal);
    if (!written)
        return 0; // beyond the largest double once rounded to 15 digits
    const double bmi = *written;
    if (bmi >= 10 && bmi < 100) {
        // Two whole digits are stored: the cut value, held to the scale.
        FuzzInput::require(plotted == qBound(15, int(bmi), 41), "a stored two-digit BMI plots at its whole part");
    } else if (bmi == 0 || (bmi >= 1e-4 && bmi < 10)) {
        // Written without an exponent: one digit and perhaps the separator.
        FuzzInput::require(plotted == 15, "a one-digit BMI plots at the bottom");
    }
    return 0;
}
