// Whatever is typed: a take-over is refused or stores a header that reads
// back as typed and a BMI text of at most two characters; the assessment
// reads bmi0.txt up to one file in order; a plot value lies on the chart.
#include "system/CodePage.h"
#include "records/Assessment.h"
#include "records/NormalRange.h"
#include "records/PersonFile.h"
#include "records/TakeOver.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList f = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(QLatin1Char('|'));
    const TakeOverInput in{f.value(0), f.value(1), f.value(2), f.value(3).isEmpty(), !f.value(3).isEmpty(), f.value(4), f.value(5), f.value(6)};
    const auto result = TakeOver::plan(in);
    const auto *plan = std::get_if<TakeOverPlan>(&result);
    if (!plan)
        return 0;
    const QString header = PersonFile::headerLine(PersonFile::fullName(in.firstName, in.lastName), PersonFile::sexWord(in.male, in.female), in.ageText);
    if (plan->bmiText.size() > 2 || CodePage::decode(plan->headerLine) != header)
        std::abort();
    const QStringList files = Assessment::files(plan->bmiText, in.ageText, in.female);
    for (qsizetype i = 0; i < files.size(); ++i)
        if (!files[i].endsWith(QStringLiteral("bmi%1.txt").arg(i)))
            std::abort();
    const auto value = NormalRange::plotValue(CodePage::decode(plan->recordLine));
    if (value && (*value < 15 || *value > 41))
        std::abort();
    return 0;
}
