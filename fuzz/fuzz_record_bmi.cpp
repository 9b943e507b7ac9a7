// Record BMI: the last two characters of any stored line, and for a record
// line the take-over wrote, the BMI text it stored, a single digit behind the
// blank of " BMI: ".
#include "FuzzInput.h"
#include "records/PersonFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);

    const QString line = FuzzInput::stored(input.bytes());
    const QString bmi = PersonFile::recordBmi(line);
    FuzzInput::require(bmi.size() == qMin<qsizetype>(line.size(), 2), "two characters, or the whole short line");
    FuzzInput::require(line.endsWith(bmi), "taken from the end of the line");

    // date | weight | height | BMI text
    const QList<QByteArray> f = input.fields(4);
    const QString bmiText = FuzzInput::stored(f[3]);
    if (bmiText.isEmpty() || bmiText.size() > 2)
        return 0;
    const QString record = PersonFile::recordLine(FuzzInput::stored(f[0]), FuzzInput::stored(f[1]),
                                                  FuzzInput::stored(f[2]), bmiText);
    FuzzInput::require(PersonFile::recordBmi(record) == bmiText.rightJustified(2, QLatin1Char(' ')),
                       "the stored BMI text comes back");
    return 0;
}
