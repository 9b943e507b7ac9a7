// The strict number conversion: any text either is refused or gives a number
// that survives being written and read again; any double written by the
// station is read back as itself, to 15 significant digits.
#include "FuzzInput.h"
#include "records/StationLocale.h"

#include <cmath>
#include <limits>
#include <cstring>

namespace {

void requireRoundTrip(double value)
{
    const auto back = StationLocale::textToNumber(StationLocale::numberToText(value));
    if (!back) {
        FuzzInput::require(std::fabs(value) > FuzzInput::largestReadBack, "written numbers are read back");
        return;
    }
    if (std::isnan(value))
        FuzzInput::require(std::isnan(*back), "nan stays nan");
    else if (std::isinf(value))
        FuzzInput::require(*back == value, "infinity stays infinity");
    else
        FuzzInput::require(std::fabs(*back - value) <= 1e-14 * std::fabs(value) + std::numeric_limits<double>::denorm_min(), "15 significant digits");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    if (const auto number = StationLocale::textToNumber(FuzzInput::typed(input.bytes())))
        requireRoundTrip(*number);
    if (const auto number = StationLocale::textToNumber(FuzzInput::stored(input.bytes())))
        requireRoundTrip(*number);

    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        requireRoundTrip(raw);
    }
    return 0;
}
