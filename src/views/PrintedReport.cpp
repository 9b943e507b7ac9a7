#include "views/PrintedReport.h"

#include "platform/DataFolder.h"
#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "platform/TextFileReader.h"
#include "records/NormalRange.h"
#include "records/PersonFile.h"

#include <QDir>
#include <QLineEdit>

#include <optional>

namespace {

const QColor kOutline(255, 3, 5);
constexpr int kMaxSegments = 30;

// One BMI unit is 120 twips; 15 lies at y 3120 and 41 at the top edge.
float heightOf(int value)
{
    return float(3120 - 120 * (value - 15));
}

} // namespace

PrintedReport::PrintedReport(const Window &window, const Printer::Factory &openPrinter)
    : m_window(window)
    , m_openPrinter(openPrinter)
{
}

void PrintedReport::print()
{
    const QString firstName = m_window.firstName->text();
    const QString lastName = m_window.lastName->text();
    if (firstName.isEmpty() || lastName.isEmpty()) {
        MessageBox::information(m_window.messageParent, PersonFile::noRecordMessage());
        return;
    }

    const QString fullName = PersonFile::fullName(firstName, lastName);
    const QString path = PersonFile::path(fullName);

    // Whether the file is there is decided once: chart and text come from the
    // same file. Both readers are opened up front, so one that vanishes in
    // between cannot leave a report half printed.
    TextFileReader chartFile;
    TextFileReader textFile;
    auto readError = [&] { return chartFile.errorReason().isEmpty() ? textFile.errorReason() : chartFile.errorReason(); };
    const bool fileExists = TextFile::presence(path) != TextFile::Presence::Missing;
    if (fileExists && (!chartFile.open(path) || !textFile.open(path))) {
        showUnreadable(path, readError());
        return;
    }

    Printer::Job job;
    job.documentName = QStringLiteral("BMI - Pondra: ") + fullName;
    if (PersonFile::staysInDataFolder(fullName))
        job.fallbackPdfPath = DataFolder::path() + fullName + QStringLiteral(".pdf");
    const std::unique_ptr<Printer> printer = m_openPrinter(job);

    printer->setFontSize(1);
    printer->setDrawWidth(4);

    QString headerLine;
    QString line2;
    if (fileExists)
        printChart(*printer, chartFile, headerLine, line2);

    printer->setFontSize(14);
    printer->printLine(line2);
    printer->printLine(headerLine);
    printer->segment(6270, 3700, 0, 3700);
    printer->printLine(line2);

    if (fileExists) {
        textFile.readLine();
        textFile.readLine();
        while (!textFile.atEnd())
            printer->printLine(textFile.readLine());
        textFile.close();
    } else {
        MessageBox::information(m_window.messageParent, PersonFile::noRecordMessage());
    }

    report(printer->endDocument());

    // A read that failed part way has cut the report short: say so.
    if (!readError().isEmpty())
        showUnreadable(path, readError());
}

void PrintedReport::showUnreadable(const QString &path, const QString &reason)
{
    MessageBox::information(m_window.messageParent, PersonFile::unreadableMessage(path, reason));
}

void PrintedReport::printChart(Printer &printer, TextFileReader &file, QString &headerLine, QString &line2)
{
    headerLine = file.readLine();
    line2 = file.readLine();
    const QString storedAge = PersonFile::storedAge(headerLine);
    const QString sexLetter = PersonFile::sexLetter(headerLine);

    for (int i = 0; i < 3; ++i)
        printer.printLine(line2);

    m_window.age->setText(storedAge);
    m_window.weight->clear();
    m_window.height->clear();
    m_window.bmi->clear();

    const NormalRange range = NormalRange::forStoredAge(storedAge, sexLetter);
    m_window.surface->clear();
    printer.box(3, 3093, 6263, heightOf(range.lower), kOutline);
    printer.box(3, heightOf(range.upper), 6263, 3, kOutline);

    // At most 31 record lines are read. A record whose BMI is no number is
    // passed over, and the next number joins the last one, as on the window.
    std::optional<int> previous;
    if (!file.atEnd())
        previous = NormalRange::plotValue(file.readLine());
    double startX = 80;
    double endX = 240;
    for (int k = 1; k <= kMaxSegments && !file.atEnd(); ++k) {
        const std::optional<int> current = NormalRange::plotValue(file.readLine());
        if (!current)
            continue;
        if (previous) {
            printer.segment(float(startX), heightOf(*previous), float(endX), heightOf(*current));
            startX += 160;
            endX += 160;
        }
        previous = current;
    }
    file.close();
}

void PrintedReport::report(const Printer::Outcome &outcome)
{
    if (!outcome.ok)
        MessageBox::information(m_window.messageParent, QStringLiteral("Drucken nicht möglich: ") + outcome.reason);
    else if (!outcome.savedTo.isEmpty())
        MessageBox::information(m_window.messageParent,
                                QStringLiteral("Kein Drucker eingerichtet. Der Ausdruck wurde gespeichert unter: ")
                                    + QDir::toNativeSeparators(outcome.savedTo));
}
