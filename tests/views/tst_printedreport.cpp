#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "platform/SystemPrinter.h"
#include "platform/TextFile.h"
#include "support/HistoryFile.h"
#include "support/PrintedPages.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrinterInfo>
#include <QTest>

namespace {

const QString kNoRecord = QStringLiteral("Kein Datensatz vorhanden ! !");
const QString kMale30 = QStringLiteral("Max Muster  männlich 30Jahre");
const QString kRule = QStringLiteral("segment (6270, 3700) (0, 3700)");

QString textAt(const QString &text, qreal x, qreal y)
{
    return QStringLiteral("text \"%1\" at (%2, %3)").arg(text).arg(x).arg(y);
}

QString box(int lowerY, int upperY)
{
    return QStringLiteral("box (3, %1) (6263, %2) rgb(255, 3, 5)").arg(lowerY).arg(upperY);
}

// The recording printer's lines are 20 twips per point: 280 at 14 points.
QStringList reportWithChart(const QStringList &chart, QPointF textStart, const QString &header, const QStringList &records)
{
    QStringList ops{"font size 1", "draw width 4", textAt("", 0, 0), textAt("", 0, 20), textAt("", 0, 40)};
    ops << chart << "font size 14" << textAt("", textStart.x(), textStart.y())
        << textAt(header, 0, textStart.y() + 280) << kRule << textAt("", 0, 3700);
    for (int i = 0; i < records.size(); ++i)
        ops << textAt(records[i], 0, 3980 + 280 * i);
    ops << "end after 0 message(s)";
    return ops;
}

// Every printed line after the rule, in order.
QStringList printedText(const QStringList &operations)
{
    QStringList lines;
    for (qsizetype i = operations.indexOf(kRule) + 1; i < operations.size(); ++i) {
        if (operations[i].startsWith(QLatin1String("text \"")))
            lines.append(operations[i].section(QLatin1Char('"'), 1, -2));
    }
    return lines;
}

} // namespace

class TestPrintedReport : public QObject
{
    Q_OBJECT

private slots:
    void operationSequence_data();
    void operationSequence();
    void historyLineStopsAfterThirtySegments_data();
    void historyLineStopsAfterThirtySegments();
    void emptyNamePrintsNothing_data();
    void emptyNamePrintsNothing();
    void windowAfterPress_data();
    void windowAfterPress();
    void pdfHoldsEveryLineInOrder_data();
    void pdfHoldsEveryLineInOrder();
    void pdfShowsRedOutlinesAndHistoryLine();
    void withoutPrinterWritesPdfIntoDataFolder();
    void failureChangesNoStoredData_data();
    void failureChangesNoStoredData();
};

void TestPrintedReport::operationSequence_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("messages");

    const QStringList three = HistoryFile::records({"22", "24", "27"});
    const QStringList rising = {"segment (80, 2280) (240, 2040)", "segment (240, 2040) (400, 1680)"};

    QTest::newRow("male 30 with 22, 24, 27")
        << HistoryFile::bytes(kMale30, three)
        << reportWithChart(QStringList{box(3093, 2520), box(1920, 3)} + rising, {400, 1680}, kMale30, three)
        << QStringList();
    const QString female30 = QStringLiteral("Max Muster  weiblich 30Jahre");
    QTest::newRow("female 30 with 22, 24, 27")
        << HistoryFile::bytes(female30, three)
        << reportWithChart(QStringList{box(3093, 2640), box(2040, 3)} + rising, {400, 1680}, female30, three)
        << QStringList();
    const QStringList one = HistoryFile::records({"22"});
    QTest::newRow("one record line: text starts at the upper box's corner 2")
        << HistoryFile::bytes(kMale30, one) << reportWithChart({box(3093, 2520), box(1920, 3)}, {6263, 3}, kMale30, one)
        << QStringList();
    QTest::newRow("header line only: boxes, no line")
        << TextFile::encode(kMale30 + "\r\n")
        << reportWithChart({box(3093, 2520), box(1920, 3)}, {6263, 3}, kMale30, {}) << QStringList();

    // Age "ab" is bracket 1 (19..24); the record "xx" is left out of the line.
    const QString noAge = QStringLiteral("Max Muster  männlich abJahre");
    const QStringList gap = HistoryFile::records({"22", "xx", "27", "24"});
    QTest::newRow("age and a BMI that are no numbers")
        << HistoryFile::bytes(noAge, gap)
        << reportWithChart({box(3093, 2640), box(2040, 3), "segment (400, 1680) (560, 2040)"}, {560, 2040}, noAge, gap)
        << QStringList();

    QTest::newRow("names filled, no file: the rule alone, then the message")
        << QByteArray()
        << QStringList{"font size 1", "draw width 4", "font size 14", textAt("", 0, 0), textAt("", 0, 280),
                       kRule, textAt("", 0, 3700), "end after 1 message(s)"}
        << QStringList{kNoRecord};
}

void TestPrintedReport::operationSequence()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, messages);

    StationFolder folder;
    if (!file.isNull())
        folder.write(QStringLiteral("Max Muster.txt"), file);
    WindowUnderTest w;
    w.enter("Max", "Muster", "", false, "", "");
    w.press("Command3");

    QCOMPARE(w.printed.operations, expected);
    QCOMPARE(MessageBox::history(), messages);
    QCOMPARE(w.printed.jobs.size(), 1);
    QCOMPARE(w.printed.jobs[0].documentName, QString("BMI - Pondra: Max Muster"));
    QCOMPARE(w.printed.jobs[0].fallbackPdfPath, folder.file("Max Muster.pdf"));
}

void TestPrintedReport::historyLineStopsAfterThirtySegments_data()
{
    QTest::addColumn<int>("records");
    QTest::newRow("31 record lines") << 31;
    QTest::newRow("40 record lines") << 40;
}

void TestPrintedReport::historyLineStopsAfterThirtySegments()
{
    QFETCH(int, records);
    const QStringList lines = HistoryFile::records(records);
    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), HistoryFile::bytes(kMale30, lines));
    WindowUnderTest w;
    w.enter("Max", "Muster", "30", false, "", "");
    w.press("Command3");

    const QStringList segments = w.printed.operations.filter(QRegularExpression("^segment")).mid(0, 30);
    QCOMPARE(w.printed.operations.filter(QRegularExpression("^segment")).size(), 31); // 30 and the rule
    QVERIFY2(segments.last().startsWith("segment (4720, "), qPrintable(segments.last()));
    QVERIFY2(segments.last().contains(") (4880, "), qPrintable(segments.last()));
    QCOMPARE(printedText(w.printed.operations), QStringList{""} + lines);
}

void TestPrintedReport::emptyNamePrintsNothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("first name empty") << "" << "Muster";
    QTest::newRow("last name empty") << "Max" << "";
}

void TestPrintedReport::emptyNamePrintsNothing()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    StationFolder folder;
    folder.write(QStringLiteral("  Muster.txt"), HistoryFile::bytes(kMale30, HistoryFile::records({"22"})));
    WindowUnderTest w;
    w.enter(first, last, "44", false, "1800", "70");
    w.field("bmi")->setText("21");
    w.form().drawingSurface()->segment(4000, 200, 11000, 4000);
    const QImage drawing = w.form().drawingSurface()->image();

    w.press("Command3");
    QVERIFY(w.printed.jobs.isEmpty());
    QVERIFY(w.printed.operations.isEmpty());
    QCOMPARE(MessageBox::history(), QStringList{kNoRecord});
    QCOMPARE(w.field("Text5")->text(), QString("44"));
    QCOMPARE(w.field("bmi")->text(), QString("21"));
    QCOMPARE(w.form().drawingSurface()->image(), drawing);

    // One blank is a name: the full name "  Muster" has two blanks.
    w.field("text")->setText(" ");
    w.field("Text7")->setText("Muster");
    w.press("Command3");
    QCOMPARE(w.printed.jobs.size(), 1);
    QVERIFY(w.printed.operations.contains(textAt(kMale30, 0, 283)));
}

void TestPrintedReport::windowAfterPress_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("person file: stored age back, fields emptied, drawing cleared") << true;
    QTest::newRow("no person file: the window stays as it was") << false;
}

void TestPrintedReport::windowAfterPress()
{
    QFETCH(bool, fileExists);
    StationFolder folder;
    if (fileExists)
        folder.write(QStringLiteral("Max Muster.txt"), HistoryFile::bytes(kMale30, HistoryFile::records({"22", "24"})));
    WindowUnderTest w;
    w.enter("Max", "Muster", "99", true, "1800", "70", "01.01.2020");
    w.field("bmi")->setText("21");
    DrawingSurface *surface = w.form().drawingSurface();
    surface->box(4000, 200, 11000, 4000, Qt::red);
    const QImage drawing = surface->image();

    // Alt+R presses "D&rucken".
    QTest::keyClick(&w.form(), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(w.printed.jobs.size(), 1);

    const QStringList before = {"99", "70", "1800", "21"};
    const QStringList after = fileExists ? QStringList{"30", "", "", ""} : before;
    QCOMPARE((QStringList{w.field("Text5")->text(), w.field("Text1")->text(), w.field("Text2")->text(),
                          w.field("bmi")->text()}),
             after);
    QCOMPARE(w.field("text")->text(), QString("Max"));
    QCOMPARE(w.field("Text7")->text(), QString("Muster"));
    QCOMPARE(w.field("Text3")->text(), QString("01.01.2020"));
    QVERIFY(w.option("Option2")->isChecked());
    QVERIFY(!w.option("Option1")->isChecked());
    if (fileExists) {
        QImage cleared(drawing.size(), drawing.format());
        cleared.setDevicePixelRatio(drawing.devicePixelRatio());
        cleared.fill(w.form().palette().color(QPalette::Window));
        QCOMPARE(surface->image(), cleared);
    } else {
        QCOMPARE(surface->image(), drawing);
    }
}

void TestPrintedReport::pdfHoldsEveryLineInOrder_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("morePages");
    QTest::newRow("3 record lines on one page") << 3 << false;
    QTest::newRow("200 record lines go on over further pages") << 200 << true;
}

void TestPrintedReport::pdfHoldsEveryLineInOrder()
{
    QFETCH(int, records);
    QFETCH(bool, morePages);
    const QStringList lines = HistoryFile::records(records);
    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), HistoryFile::bytes(kMale30, lines));
    QTemporaryDir out;
    const QString pdf = out.filePath("report.pdf");
    WindowUnderTest w([&](const Printer::Job &job) { return SystemPrinter::toPdfFile(pdf, job.documentName); });
    w.enter("Max", "Muster", "", false, "", "");
    w.press("Command3");

    const PrintedPages pages(pdf);
    QCOMPARE(pages.pageCount() > 1, morePages);
    QVERIFY(pages.showsInOrder(QStringList{kMale30} + lines));
}

void TestPrintedReport::pdfShowsRedOutlinesAndHistoryLine()
{
    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), HistoryFile::bytes(kMale30, HistoryFile::records({"22", "24", "27"})));
    QTemporaryDir out;
    const QString pdf = out.filePath("report.pdf");
    WindowUnderTest w([&](const Printer::Job &job) { return SystemPrinter::toPdfFile(pdf, job.documentName); });
    w.enter("Max", "Muster", "", false, "", "");
    w.press("Command3");

    // 300 dpi: a twip is 300/1440 of a pixel; the outlines are 2 pixels wide.
    const QImage page = PrintedPages(pdf).page(1, 300);
    const QRect red = PrintedPages::boundsOf(page, QColor(255, 3, 5));
    QVERIFY2(qAbs(red.width() - 1306) <= 3 && qAbs(red.height() - 646) <= 3, qPrintable(QDebug::toString(red)));
    auto at = [&](qreal x, qreal y) { return red.topLeft() + QPointF(x - 3, y - 3) * 300 / 1440; };
    auto colourNear = [&](QPointF p, QColor colour) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (page.pixelColor(p.toPoint() + QPoint(dx, dy)) == colour)
                    return true;
        return false;
    };
    // The inner edges at y 2520 (lower box, 20) and 1920 (upper box, 25).
    QVERIFY(colourNear(at(3000, 2520), QColor(255, 3, 5)));
    QVERIFY(colourNear(at(3000, 1920), QColor(255, 3, 5)));
    QVERIFY(!colourNear(at(3000, 2220), QColor(255, 3, 5)));
    // The middle of each history segment is black.
    QVERIFY(colourNear(at(160, 2160), Qt::black));
    QVERIFY(colourNear(at(320, 1860), Qt::black));
}

void TestPrintedReport::withoutPrinterWritesPdfIntoDataFolder()
{
    // main() hid every printer from the program.
    QVERIFY(QPrinterInfo::defaultPrinter().isNull());
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());

    StationFolder folder;
    const QByteArray file = HistoryFile::bytes(kMale30, HistoryFile::records({"22", "24"}));
    folder.write(QStringLiteral("Max Muster.txt"), file);
    folder.write(QStringLiteral("Max Muster.pdf"), "an older printout");
    WindowUnderTest w(&SystemPrinter::open);
    w.enter("Max", "Muster", "", false, "", "");
    w.press("Command3");

    const QString pdf = folder.file("Max Muster.pdf");
    QCOMPARE(MessageBox::history(),
             QStringList{"Kein Drucker eingerichtet. Der Ausdruck wurde gespeichert unter: " + pdf});
    QVERIFY(PrintedPages(pdf).showsInOrder(QStringList{kMale30} + HistoryFile::records({"22", "24"})));
    QCOMPARE(folder.snapshot().keys(), (QStringList{"Max Muster.pdf", "Max Muster.txt"}));
    QCOMPARE(folder.read("Max Muster.txt"), file);
}

void TestPrintedReport::failureChangesNoStoredData_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QString>("reason");
    QTest::newRow("the printer reports an error") << "" << "Papierstau";
    QTest::newRow("a symlink at the PDF's path") << "symlink" << "keine gewöhnliche Datei";
    QTest::newRow("a folder at the PDF's path") << "folder" << "keine gewöhnliche Datei";
}

void TestPrintedReport::failureChangesNoStoredData()
{
    QFETCH(QString, blocker);
    QFETCH(QString, reason);
    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), HistoryFile::bytes(kMale30, HistoryFile::records({"22"})));
    const QString elsewhere = folder.home() + "/elsewhere.txt";
    QFile::copy(folder.file("Max Muster.txt"), elsewhere);
    if (blocker == "symlink")
        QVERIFY(QFile::link(elsewhere, folder.file("Max Muster.pdf")));
    if (blocker == "folder")
        QVERIFY(QDir(folder.dataPath()).mkdir("Max Muster.pdf"));
    const auto before = folder.snapshot();

    WindowUnderTest w(blocker.isEmpty() ? Printer::Factory() : Printer::Factory(&SystemPrinter::open));
    w.printed.outcome = {false, reason, {}};
    w.enter("Max", "Muster", "", false, "", "");
    w.press("Command3");

    QCOMPARE(MessageBox::history().size(), 1);
    QVERIFY2(MessageBox::history()[0].startsWith("Drucken nicht möglich: ") && MessageBox::history()[0].contains(reason),
             qPrintable(MessageBox::history()[0]));
    QCOMPARE(folder.snapshot(), before);
    QCOMPARE(QFileInfo(folder.file("Max Muster.pdf")).isSymLink(), blocker == "symlink");
    QCOMPARE(folder.read("../elsewhere.txt"), folder.read("Max Muster.txt"));
    // The window goes on working.
    w.press("Command3");
    QCOMPARE(MessageBox::history().size(), 2);
}

int main(int argc, char *argv[])
{
    // Hide every printer of this machine: no test page may reach paper, and
    // the program must take the way it takes when no printer is set up.
    qputenv("CUPS_SERVER", "/nonexistent/bmi-pondra-tests/cups.sock");
    QApplication app(argc, argv);
    TestPrintedReport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printedreport.moc"
