// BMI text from typed weight and height: either refused, or a finite number
// written without grouping whose first one or two characters are kept.
#include "FuzzInput.h"
#include "records/BmiCalculation.h"
#include "records/StationLocale.h"

#include <cmath>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    // weight | height
    const QList<QByteArray> f = input.fields(2);
    const QString weightText = FuzzInput::typed(f[0]);
    const QString heightText = FuzzInput::typed(f[1]);

    const auto decimal = BmiCalculation::bmiDecimalText(weightText, heightText);
    const auto weight = StationLocale::textToNumber(weightText);
    const auto height = StationLocale::textToNumber(heightText);
    const bool numbers = weight && height && std::isfinite(*weight) && std::isfinite(*height) && *height != 0;
    const double bmi = numbers ? *weight / ((*height / 1000) * (*height / 1000)) : 0;
    FuzzInput::require(decimal.has_value() == (numbers && std::isfinite(bmi)), "refused exactly when no finite BMI exists");
    if (!decimal)
        return 0;

    const QString text = BmiCalculation::bmiText(*decimal);
    FuzzInput::require(!text.isEmpty() && text.size() <= 2 && decimal->startsWith(text), "the first one or two characters");

    const auto readBack = StationLocale::textToNumber(*decimal);
    if (!readBack) {
        FuzzInput::require(std::fabs(bmi) > FuzzInput::largestReadBack, "the decimal text is a number again");
        return 0;
    }
    FuzzInput::require(std::fabs(*readBack - bmi) <= 1e-14 * std::fabs(bmi) + std::numeric_limits<double>::denorm_min(), "15 significant digits");
    return 0;
}
