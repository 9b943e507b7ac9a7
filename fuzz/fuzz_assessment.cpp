// Which assessment files a take-over reads, from the BMI text, the typed age
// and the sex: always bmi0.txt onwards without a gap, none when the BMI text
// is no number, and an age lowering the value by one of its five steps.
#include "FuzzInput.h"
#include "platform/DataFolder.h"
#include "records/Assessment.h"
#include "records/StationLocale.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    // BMI text | age | sex (w for a woman), as the fields hold them
    const QList<QByteArray> f = input.fields(3);
    const QString bmiText = FuzzInput::typed(f[0]);
    const QString ageText = FuzzInput::typed(f[1]);
    const bool female = f[2].startsWith('w');

    const int reduction = Assessment::ageReduction(ageText);
    FuzzInput::require(reduction >= 0 && reduction <= 5, "one of the age steps");
    const auto age = StationLocale::textToNumber(ageText);
    if (!age || std::isnan(*age))
        FuzzInput::require(reduction == 0, "an age that is no number reduces nothing");

    const QStringList files = Assessment::files(bmiText, ageText, female);
    FuzzInput::require(files.size() <= 6, "at most the six files");
    for (int i = 0; i < files.size(); ++i)
        FuzzInput::require(files[i] == DataFolder::path() + QStringLiteral("bmi%1.txt").arg(i), "bmi0.txt onwards without a gap");

    const auto value = Assessment::adjustedValue(bmiText, ageText, female);
    const auto bmi = StationLocale::textToNumber(bmiText);
    FuzzInput::require(value.has_value() == bmi.has_value(), "a value exactly when the BMI text is a number");
    if (!value)
        FuzzInput::require(files.isEmpty(), "no file for a BMI text that is no number");
    else if (!std::isnan(*value))
        FuzzInput::require(*value == *bmi - reduction + (female ? 1 : 0), "lowered for age, raised for women");
    return 0;
}
