#include "views/PrintedReport.h"

#include "toolkit/Printer.h"
#include "records/PersonHistory.h"
#include "views/HistoryChart.h"

namespace {

// One BMI unit is 120 twips; 15 lies at y 3120 and 41 at the top edge.
double heightOf(double value)
{
    return 3120 - 120 * (value - 15);
}

} // namespace

void PrintedReport::print(Printer &printer, const PersonHistory &history)
{
    printer.setFontSize(1);
    printer.setDrawWidth(4);
    if (history.status() == TextFile::Status::Read) {
        for (int i = 0; i < 3; ++i)
            printer.printLine(history.line2());
        const NormalRange range = history.normalRange();
        printer.box(3, 3093, 6263, heightOf(range.lower), HistoryChart::kOutline);
        printer.box(3, heightOf(range.upper), 6263, 3, HistoryChart::kOutline);
        const QList<int> &values = history.plotValues();
        for (qsizetype k = 1; k < values.size(); ++k)
            printer.segment(80 + 160 * (k - 1), heightOf(values[k - 1]), 240 + 160 * (k - 1), heightOf(values[k]));
    }

    printer.setFontSize(14);
    printer.printLine(history.line2());
    printer.printLine(history.headerLine());
    printer.segment(6270, 3700, 0, 3700);
    printer.printLine(history.line2());
    const TextLines &lines = history.lines();
    for (qsizetype i = 2; i < lines.count(); ++i)
        printer.printLine(lines.at(i));
}
