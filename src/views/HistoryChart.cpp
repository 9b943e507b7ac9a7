#include "views/HistoryChart.h"

#include "platform/DrawingSurface.h"
#include "platform/TextFile.h"
#include "platform/TextFileReader.h"
#include "records/NormalRange.h"
#include "records/PersonFile.h"

#include <QColor>
#include <QDir>

namespace {
// Chart geometry in twips, inside the frame lines of the window.
constexpr double kBoxLeft = 3865;
constexpr double kBoxRight = 11865;
constexpr double kLowerBoxBottom = 4905;
constexpr double kUpperBoxTop = 135;
constexpr double kFirstSegmentStart = 3595;
constexpr double kFirstSegmentEnd = 3862;
constexpr double kSegmentStep = 266;

const QColor kBoxOutline(255, 3, 5);
const QColor kHatch(255, 100, 100);
} // namespace

HistoryChart HistoryChart::read(const QString &path)
{
    HistoryChart chart;
    if (TextFile::presence(path) == TextFile::Presence::Missing) {
        chart.m_message = PersonFile::noRecordMessage();
        return chart;
    }

    TextFileReader reader;
    if (reader.open(path)) {
        chart.m_headerLine = reader.readLine();
        reader.readLine(); // the empty line under the header
        // The first record line starts the line, each further one adds a segment.
        for (int line = 0; line <= kMaxSegments && !reader.atEnd(); ++line) {
            if (const auto value = NormalRange::plotValue(reader.readLine()))
                chart.m_plotValues.append(*value);
        }
    }
    const QString reason = reader.errorReason();
    if (!reason.isEmpty()) {
        // A read that failed part way draws nothing: the window stays as it was.
        chart.m_status = Status::Unreadable;
        chart.m_message = PersonFile::unreadableMessage(path, reason);
        return chart;
    }
    chart.m_status = Status::Read;
    return chart;
}

QString HistoryChart::storedAge() const
{
    return PersonFile::storedAge(m_headerLine);
}

QString HistoryChart::sexLetter() const
{
    return PersonFile::sexLetter(m_headerLine);
}

double HistoryChart::heightOf(double value)
{
    return 4920 - 184 * (value - 15);
}

void HistoryChart::draw(DrawingSurface &surface) const
{
    const NormalRange range = NormalRange::forStoredAge(storedAge(), sexLetter());

    surface.setDrawWidth(1);
    surface.clear();
    surface.setFillColor(kHatch);
    surface.setFillStyle(DrawingSurface::FillStyle::CrossHatch);
    surface.box(float(kBoxLeft), float(kLowerBoxBottom), float(kBoxRight), float(heightOf(range.lower)),
                kBoxOutline);
    surface.box(float(kBoxLeft), float(heightOf(range.upper)), float(kBoxRight), float(kUpperBoxTop),
                kBoxOutline);

    surface.setDrawWidth(2);
    for (qsizetype k = 1; k < m_plotValues.size(); ++k) {
        const double startX = kFirstSegmentStart + kSegmentStep * double(k);
        const double endX = kFirstSegmentEnd + kSegmentStep * double(k);
        surface.segment(float(startX), float(heightOf(m_plotValues[k - 1])), float(endX),
                        float(heightOf(m_plotValues[k])));
    }
}
