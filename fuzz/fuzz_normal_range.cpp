// Normal range from a stored age and sex letter: always one of the table's
// brackets, five wide, one lower for women, and bracket 1 for an age that is
// no number.
#include "FuzzInput.h"
#include "records/NormalRange.h"
#include "records/StationLocale.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    // stored age | sex letter, both as read from a header line
    const QList<QByteArray> f = input.fields(2);
    const QString storedAge = FuzzInput::stored(f[0]);
    const QString sexLetter = FuzzInput::stored(f[1]);

    const NormalRange range = NormalRange::forStoredAge(storedAge, sexLetter);
    const bool woman = sexLetter == QLatin1String("w");
    FuzzInput::require(range.upper == range.lower + 5, "five wide");
    FuzzInput::require(range.lower >= (woman ? 18 : 19) && range.lower <= (woman ? 23 : 24), "one of the brackets");

    const auto age = StationLocale::textToNumber(storedAge);
    if (!age || std::isnan(*age))
        FuzzInput::require(range == NormalRange::forAge(0, sexLetter), "no number counts as bracket 1");
    else
        FuzzInput::require(range == NormalRange::forAge(*age, sexLetter), "the number's bracket");
    return 0;
}
