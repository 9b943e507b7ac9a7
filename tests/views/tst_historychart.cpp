#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "support/HistoryFile.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

// Chart pixels are twips / 15. Where a twip value falls between two pixels
// the checks accept the neighbour too; colours are always exact.
namespace {

const QRgb kOutline = qRgb(255, 3, 5);
const QRgb kHatch = qRgb(255, 100, 100);
const QString kMale30 = QStringLiteral("Max Muster  männlich 30Jahre");

QByteArray history(const QString &header, const QStringList &bmis)
{
    return HistoryFile::bytes(header, HistoryFile::records(bmis));
}

QImage grab(WindowUnderTest &w)
{
    return w.form().grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb fore()
{
    return QApplication::palette().color(QPalette::WindowText).rgb();
}

bool colourNear(const QImage &image, QPoint at, QRgb colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixel(at + QPoint(dx, dy)) == colour)
                return true;
    return false;
}

int count(const QImage &image, const QRect &area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

// Bytes this process has taken in through read() so far.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (io.open(QIODevice::ReadOnly))
        for (const QByteArray &line : io.readAll().split('\n'))
            if (line.startsWith("rchar:"))
                return line.mid(6).trimmed().toLongLong();
    return -1;
}

void pressChartFor(WindowUnderTest &w, const QString &first)
{
    w.field("text")->setText(first);
    w.field("Text7")->setText(QStringLiteral("Muster"));
    w.press("Command1");
}

// The window after drawing Max Muster's file of these bytes, null after a
// message; bytesRead gets what the press read.
QImage chartOf(const QByteArray &bytes, qint64 *bytesRead = nullptr)
{
    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), bytes);
    WindowUnderTest w;
    const qint64 before = bytesReadSoFar();
    pressChartFor(w, QStringLiteral("Max"));
    if (bytesRead)
        *bytesRead = before < 0 ? -1 : bytesReadSoFar() - before;
    return MessageBox::history().isEmpty() ? grab(w) : QImage();
}

struct Chart
{
    QByteArray bytes;
    bool femaleBefore;
    QString age;
    bool female;
    int lowerEdge; // pixel row of the lower box's top
    int upperEdge; // pixel row of the upper box's bottom
    QList<QPoint> onLine; // in the window and on the drawing surface
    QRect clear; // no line in the window there
};

} // namespace

Q_DECLARE_METATYPE(Chart)

class TestHistoryChart : public QObject
{
    Q_OBJECT

private slots:
    void chartOfStoredPerson_data();
    void chartOfStoredPerson();
    void drawnLikeAnotherFile_data();
    void drawnLikeAnotherFile();
    void nothingToDrawKeepsTheWindowUnderAMessageBox_data();
    void nothingToDrawKeepsTheWindowUnderAMessageBox();
};

void TestHistoryChart::chartOfStoredPerson_data()
{
    QTest::addColumn<Chart>("chart");
    // 22, 24, 27: from (3861, 3632) to (4128, 3264), then from (4127, 3264) to (4394, 2712).
    const QStringList three{"22", "24", "27"};
    const QList<QPoint> line{{266, 230}, {275, 218}, {284, 200}, {293, 181}};
    const QRect inside(259, 10, 531, 317); // within the frame lines
    QTest::newRow("man aged 30: 20..25") << Chart{history(kMale30, three), true, "30", false, 267, 205, line, {}};
    QTest::newRow("woman aged 30: 19..24")
        << Chart{history("Eva Muster  weiblich 30Jahre", three), false, "30", true, 279, 218, line, {}};
    QTest::newRow("man aged 24: 19..24")
        << Chart{history("Max Muster  männlich 24Jahre", three), true, "24", false, 279, 218, line, {}};
    QTest::newRow("one-digit age: blank sex letter, men's range, options stay")
        << Chart{history("Eva Muster  weiblich 5Jahre", three), true, " 5", true, 279, 218, line, {}};
    QTest::newRow("age no number: bracket 1")
        << Chart{history("Max Muster  männlich xyJahre", three), true, "xy", false, 279, 218, line, {}};
    QTest::newRow("one record line: no line") << Chart{history(kMale30, {"22"}), true, "30", false, 267, 205, {}, inside};
    QTest::newRow("header only") << Chart{HistoryFile::bytes(kMale30, {}).chopped(2), true, "30", false, 267, 205, {}, inside};
    // The end lies under the frame's top or bottom line; the window shows the
    // line up to it and nothing beyond.
    QTest::newRow("above 40 at y 136")
        << Chart{history(kMale30, {"22", "45"}), true, "30", false, 267, 205, {{275, 9}, {275, 11}}, {250, 0, 40, 7}};
    QTest::newRow("below 15 on the axis at y 4920")
        << Chart{history(kMale30, {"22", "10"}), true, "30", false, 267, 205, {{275, 328}, {275, 325}}, {250, 330, 40, 20}};
}

void TestHistoryChart::chartOfStoredPerson()
{
    QFETCH(Chart, chart);
    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), chart.bytes);
    folder.write(QStringLiteral("Ada Muster.txt"), history("Ada Muster  weiblich 70Jahre", {"10", "45", "10"}));
    WindowUnderTest w;
    pressChartFor(w, QStringLiteral("Ada")); // an earlier chart the press must replace
    w.enter("Max", "Muster", "41", chart.femaleBefore, "1750", "70");
    w.field("bmi")->setText(QStringLiteral("22"));
    w.press("Command1");

    QCOMPARE(MessageBox::history(), QStringList());
    QCOMPARE(w.field("Text5")->text(), chart.age);
    for (const char *emptied : {"Text1", "Text2", "bmi"})
        QVERIFY2(w.field(emptied)->text().isEmpty(), emptied);
    QCOMPARE(w.option("Option2")->isChecked(), chart.female);
    QCOMPARE(w.option("Option1")->isChecked(), !chart.female);

    const QImage image = grab(w);
    const QRgb back = w.form().palette().color(QPalette::Window).rgb();
    const int lower = chart.lowerEdge, upper = chart.upperEdge;
    for (int x : {300, 500, 700})
        QVERIFY(colourNear(image, {x, lower}, kOutline) && colourNear(image, {x, upper}, kOutline));
    // The left edges at x 3865 lie just right of the axis.
    QCOMPARE(image.pixel(258, (lower + 327) / 2), kOutline);
    QCOMPARE(image.pixel(258, (upper + 9) / 2), kOutline);
    // Hatched boxes with the back colour between the lines; the normal band clear.
    for (const QRect &box : {QRect(300, lower + 2, 400, 324 - lower), QRect(300, 11, 400, upper - 13)}) {
        QVERIFY(count(image, box, kHatch) > 0);
        QVERIFY(count(image, box, back) > count(image, box, kHatch));
    }
    const QRect band(300, upper + 2, 400, lower - upper - 3);
    QCOMPARE(count(image, band, kHatch) + count(image, band, kOutline), 0);

    for (const QPoint &point : chart.onLine)
        QVERIFY2(colourNear(image, point, fore()) && colourNear(w.form().drawingSurface()->image(), point, fore()),
                 qPrintable(QDebug::toString(point)));
    QCOMPARE(count(image, chart.clear, fore()), 0);

    // Frame lines and labels stay above the drawing: the axis, the bottom,
    // top and right lines where the box outlines run, and "Normalwerte".
    for (const QPoint &onFrame : {QPoint(257, 300), QPoint(500, 327), QPoint(500, 9), QPoint(791, 300)})
        QCOMPARE(image.pixel(onFrame), fore());
    const QRect label = w.form().findChild<QLabel *>(QStringLiteral("Label7"))->geometry();
    QCOMPARE(count(image, label, kHatch) + count(image, label, kOutline), 0);
}

void TestHistoryChart::drawnLikeAnotherFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("drawnAs");
    QTest::addColumn<QList<QPoint>>("onLine");

    // 20, 30, 20, ... 30 and then 40 as the 31st value: segment 30 climbs
    // from (11575, 2160) to (11842, 320).
    QStringList values;
    for (int i = 0; i < 30; ++i)
        values << (i % 2 ? "30" : "20");
    const QByteArray first31 = history(kMale30, values << "40");
    const QByteArray record = "  01.02.2020    70kg    1750mm     BMI: 45\r\n";
    const QList<QPoint> end{{772, 144}, {789, 21}};
    QTest::newRow("40 record lines: the first 31") << first31 + record.repeated(9) << first31 << end;
    QTest::newRow("a million record lines: the first 31") << first31 + record.repeated(1000000 - 31) << first31 << end;
    QTest::newRow("BMI no number in between: the next joins the last")
        << history(kMale30, {"22", "x?", "27"}) << history(kMale30, {"22", "27"}) << QList<QPoint>();
    QTest::newRow("first BMI no number") << history(kMale30, {"ab", "22", "27"}) << history(kMale30, {"22", "27"})
                                         << QList<QPoint>();
    QTest::newRow("the only BMI no number") << history(kMale30, {"--"}) << history(kMale30, {}) << QList<QPoint>();
}

void TestHistoryChart::drawnLikeAnotherFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, drawnAs);
    QFETCH(QList<QPoint>, onLine);

    const QImage expected = chartOf(drawnAs);
    QVERIFY(!expected.isNull());
    for (const QPoint &point : onLine)
        QVERIFY(colourNear(expected, point, fore()));
    qint64 bytesRead = 0;
    QCOMPARE(chartOf(file, &bytesRead), expected);
    // The press stops after line 33: the few bytes it uses and at most one more 64 KiB read.
    if (bytesRead < 0)
        QSKIP("no /proc/self/io to count the bytes read");
    QVERIFY2(bytesRead <= 2 * 64 * 1024, qPrintable(QString::number(bytesRead)));
}

void TestHistoryChart::nothingToDrawKeepsTheWindowUnderAMessageBox_data()
{
    QTest::addColumn<QString>("first");
    QTest::newRow("no person file") << "Eva";
    QTest::newRow("empty names") << "";
}

void TestHistoryChart::nothingToDrawKeepsTheWindowUnderAMessageBox()
{
    QFETCH(QString, first);

    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), history(kMale30, {"22", "24", "27"}));
    WindowUnderTest w;
    pressChartFor(w, QStringLiteral("Max"));
    w.enter(first, first.isEmpty() ? "" : "Muster", "41", true, "1750", "70");
    w.field("bmi")->setText(QStringLiteral("22"));
    const QImage before = grab(w);
    MessageBox::clearHistory();

    // A real box over the chart, answered with Enter.
    MessageBox::setNeverShow(false);
    WindowUnderTest::answerNextBoxWithKey(Qt::Key_Return);
    w.press("Command1");
    QCOMPARE(MessageBox::history(), QStringList{"Kein Datensatz vorhanden ! !"});
    QTRY_VERIFY(!QApplication::activeModalWidget());
    // A window manager hands the activation back; the offscreen platform does not.
    QApplication::setActiveWindow(&w.form());
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));

    QCOMPARE(grab(w), before);
    const QStringList fields{w.field("Text5")->text(), w.field("Text2")->text(), w.field("Text1")->text(),
                             w.field("bmi")->text()};
    QCOMPARE(fields, (QStringList{"41", "1750", "70", "22"}));
    QVERIFY(w.option("Option2")->isChecked());
}

QTEST_MAIN(TestHistoryChart)
#include "tst_historychart.moc"
