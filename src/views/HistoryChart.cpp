#include "views/HistoryChart.h"

#include "toolkit/DrawingSurface.h"
#include "records/PersonHistory.h"

namespace {

// In twips, inside the window's chart frame.
constexpr double kBoxLeft = 3865;
constexpr double kBoxRight = 11865;
constexpr double kLowerBoxBottom = 4905;
constexpr double kUpperBoxTop = 135;
constexpr double kFirstSegmentStart = 3595;
constexpr double kFirstSegmentEnd = 3862;
constexpr double kSegmentStep = 266;
const QColor kHatch(255, 100, 100);

double heightOf(double value)
{
    return 4920 - 184 * (value - 15);
}

} // namespace

const QColor HistoryChart::kOutline(255, 3, 5);

void HistoryChart::draw(DrawingSurface &surface, const PersonHistory &history)
{
    const NormalRange range = history.normalRange();
    surface.setDrawWidth(1);
    surface.clear();
    surface.setFillColor(kHatch);
    surface.setFillStyle(DrawingSurface::FillStyle::CrossHatch);
    surface.box(kBoxLeft, kLowerBoxBottom, kBoxRight, heightOf(range.lower), kOutline);
    surface.box(kBoxLeft, heightOf(range.upper), kBoxRight, kUpperBoxTop, kOutline);

    // A record whose BMI is no number draws nothing; the next one joins the last.
    surface.setDrawWidth(2);
    const QList<int> &values = history.plotValues();
    for (qsizetype k = 1; k < values.size(); ++k) {
        surface.segment(kFirstSegmentStart + kSegmentStep * k, heightOf(values[k - 1]),
                        kFirstSegmentEnd + kSegmentStep * k, heightOf(values[k]));
    }
}
