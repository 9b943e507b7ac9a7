#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "platform/SystemPrinter.h"
#include "support/HistoryFile.h"
#include "support/PrintedPages.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QApplication>
#include <QPrinterInfo>
#include <QTest>

namespace {

const QString kNoRecord = QStringLiteral("Kein Datensatz vorhanden ! !");
const QString kMale30 = QStringLiteral("Max Muster  männlich 30Jahre");
const QString kRule = QStringLiteral("segment (6270, 3700) (0, 3700)");
const QColor kRed(255, 3, 5);

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
    return ops << "end after 0 message(s)";
}

struct Press
{
    QString first, last;
    QByteArray file; // null: no person file
    QStringList operations;
    QString storedAge; // null: the window stays as it was
};

} // namespace

Q_DECLARE_METATYPE(Press)

class TestPrintedReport : public QObject
{
    Q_OBJECT

private slots:
    void pressPrintsAndResetsTheWindow_data();
    void pressPrintsAndResetsTheWindow();
    void historyLineStopsAfterThirtySegments_data();
    void historyLineStopsAfterThirtySegments();
    void withoutPrinterWritesPdfIntoDataFolder();
    void failureChangesNoStoredData_data();
    void failureChangesNoStoredData();
};

void TestPrintedReport::pressPrintsAndResetsTheWindow_data()
{
    QTest::addColumn<Press>("press");
    const QStringList three = HistoryFile::records({"22", "24", "27"});
    const QStringList boxes{box(3093, 2520), box(1920, 3)};
    const QStringList rising{"segment (80, 2280) (240, 2040)", "segment (240, 2040) (400, 1680)"};
    QTest::newRow("male 30 with 22, 24, 27")
        << Press{"Max", "Muster", HistoryFile::bytes(kMale30, three),
                 reportWithChart(boxes + rising, {400, 1680}, kMale30, three), "30"};
    const QString female30 = QStringLiteral("Max Muster  weiblich 30Jahre");
    QTest::newRow("female 30 with 22, 24, 27")
        << Press{"Max", "Muster", HistoryFile::bytes(female30, three),
                 reportWithChart(QStringList{box(3093, 2640), box(2040, 3)} + rising, {400, 1680}, female30, three), "30"};
    const QStringList one = HistoryFile::records({"22"});
    QTest::newRow("one record line: text starts at the upper box's corner 2")
        << Press{"Max", "Muster", HistoryFile::bytes(kMale30, one), reportWithChart(boxes, {6263, 3}, kMale30, one), "30"};
    // Age "ab" is bracket 1 (19..24); the record "xx" is passed over and 27 joins 22.
    const QString noAge = QStringLiteral("Max Muster  männlich abJahre");
    const QStringList gap = HistoryFile::records({"22", "xx", "27", "24"});
    QTest::newRow("age and a BMI that are no numbers")
        << Press{"Max", "Muster", HistoryFile::bytes(noAge, gap),
                 reportWithChart({box(3093, 2640), box(2040, 3), "segment (80, 2280) (240, 1680)",
                                  "segment (240, 1680) (400, 2040)"}, {400, 2040}, noAge, gap), "ab"};
    QTest::newRow("names filled, no file: the rule alone, then the message")
        << Press{"Max", "Muster", {}, {"font size 1", "draw width 4", "font size 14", textAt("", 0, 0), textAt("", 0, 280),
                                       kRule, textAt("", 0, 3700), "end after 1 message(s)"}, {}};
    QTest::newRow("first name empty: nothing printed") << Press{"", "Muster", HistoryFile::bytes(kMale30, one), {}, {}};
    QTest::newRow("last name empty: nothing printed") << Press{"Max", "", HistoryFile::bytes(kMale30, one), {}, {}};
}

void TestPrintedReport::pressPrintsAndResetsTheWindow()
{
    QFETCH(Press, press);
    StationFolder folder;
    if (!press.file.isNull())
        folder.write("Max Muster.txt", press.file);
    WindowUnderTest w;
    w.enter(press.first, press.last, "99", true, "1800", "70", "01.01.2020");
    w.field("bmi")->setText("21");
    DrawingSurface *surface = w.form().drawingSurface();
    surface->box(4000, 200, 11000, 4000, Qt::red);
    QImage drawing = surface->image();

    QTest::keyClick(&w.form(), Qt::Key_R, Qt::AltModifier);
    QTRY_VERIFY(!w.printed.jobs.isEmpty() || !MessageBox::history().isEmpty());

    QCOMPARE(w.printed.operations, press.operations);
    QCOMPARE(MessageBox::history(), press.storedAge.isNull() ? QStringList{kNoRecord} : QStringList());
    QCOMPARE(w.printed.jobs.size(), press.operations.isEmpty() ? 0 : 1);
    for (const Printer::Job &job : std::as_const(w.printed.jobs)) {
        QCOMPARE(job.documentName, QString("BMI - Pondra: Max Muster"));
        QCOMPARE(job.fallbackPdfPath, folder.file("Max Muster.pdf"));
    }
    const QStringList fields{w.field("Text5")->text(), w.field("Text1")->text(), w.field("Text2")->text(),
                             w.field("bmi")->text(), w.field("text")->text(), w.field("Text7")->text(),
                             w.field("Text3")->text()};
    const QStringList kept{"99", "70", "1800", "21", press.first, press.last, "01.01.2020"};
    const QStringList reset{press.storedAge, "", "", "", press.first, press.last, "01.01.2020"};
    QCOMPARE(fields, press.storedAge.isNull() ? kept : reset);
    QVERIFY(w.option("Option2")->isChecked());
    if (!press.storedAge.isNull())
        drawing.fill(w.form().palette().color(QPalette::Window));
    QCOMPARE(surface->image(), drawing);
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
    folder.write("Max Muster.txt", HistoryFile::bytes(kMale30, lines));
    WindowUnderTest w;
    w.enter("Max", "Muster", "30", false, "", "");
    w.press("Command3");

    const QStringList &ops = w.printed.operations;
    const QStringList segments = ops.filter(QRegularExpression("^segment"));
    QCOMPARE(segments.size(), 31); // 30 and the rule
    QVERIFY2(segments[29].startsWith("segment (4720, ") && segments[29].contains(") (4880, "), qPrintable(segments[29]));
    QStringList texts;
    for (int i = 0; i < records; ++i)
        texts << textAt(lines[i], 0, 3980 + 280 * i);
    QCOMPARE(ops.mid(ops.indexOf(kRule) + 2), texts << "end after 0 message(s)");
}

void TestPrintedReport::withoutPrinterWritesPdfIntoDataFolder()
{
    // main() hid every printer from the program.
    QVERIFY(QPrinterInfo::defaultPrinter().isNull());
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());

    StationFolder folder;
    const QStringList records = HistoryFile::records(200);
    const QByteArray file = HistoryFile::bytes(kMale30, records);
    folder.write("Max Muster.txt", file);
    folder.write("Max Muster.pdf", "an older printout");
    WindowUnderTest w(&SystemPrinter::open);
    w.enter("Max", "Muster", "", false, "", "");
    w.press("Command3");

    const QString path = folder.file("Max Muster.pdf");
    QCOMPARE(MessageBox::history(), QStringList{"Kein Drucker eingerichtet. Der Ausdruck wurde gespeichert unter: " + path});
    QCOMPARE(folder.snapshot().keys(), (QStringList{"Max Muster.pdf", "Max Muster.txt"}));
    QCOMPARE(folder.read("Max Muster.txt"), file);
    const PrintedPages pdf(path);
    QVERIFY2(pdf.pageCount() > 1, qPrintable(QString::number(pdf.pageCount())));
    QVERIFY(pdf.showsInOrder(QStringList{kMale30} + records));

    // Both boxes together span 6260 by 3090 twips; at 300 dpi a twip is
    // 300/1440 pixel, and the 4-pixel outline at 600 dpi adds one each side.
    const QImage page = pdf.page(1, 300);
    const QRect red = PrintedPages::boundsOf(page, kRed);
    QVERIFY2(qAbs(red.width() - 1306) <= 3 && qAbs(red.height() - 646) <= 3, qPrintable(QDebug::toString(red)));
    auto pixel = [&](int x, int y) { return page.pixelColor(red.topLeft() + QPoint(x - 3, y - 3) * 300 / 1440); };
    auto redRowNear = [&](int y) { return pixel(3000, y - 5) == kRed || pixel(3000, y) == kRed || pixel(3000, y + 5) == kRed; };
    QVERIFY(redRowNear(2520) && redRowNear(1920) && !redRowNear(2220)); // lower edge 20, upper edge 25

    // The header follows the 30th segment's end (BMI 28 at y 1560) by one
    // line; the first record line follows the rule (y 3700) by the same line.
    QMap<QString, QRectF> firstWord;
    for (const auto &word : pdf.words())
        firstWord.insert(word.text, firstWord.value(word.text, word.box));
    const qreal headerToRecord = (firstWord["05.02.2002"].top() - firstWord["Max"].top()) * 20;
    QVERIFY2(qAbs(headerToRecord - (3700 - 1560)) <= 10, qPrintable(QString::number(headerToRecord)));
    // Both at x 0, the date behind two blanks (about 9 points).
    const qreal indent = firstWord["05.02.2002"].left() - firstWord["Max"].left();
    QVERIFY2(indent > 4 && indent < 14, qPrintable(QString::number(indent)));
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
    const QByteArray file = HistoryFile::bytes(kMale30, HistoryFile::records({"22"}));
    folder.write("Max Muster.txt", file);
    folder.write("../elsewhere.txt", file);
    if (blocker == "symlink")
        QVERIFY(QFile::link(folder.file("../elsewhere.txt"), folder.file("Max Muster.pdf")));
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
    QCOMPARE(folder.read("../elsewhere.txt"), file);
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
