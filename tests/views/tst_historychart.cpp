#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

// Chart pixels are twips / 15. Where a twip value falls between two pixels
// the checks accept the neighbour too; colours are always exact.
namespace {

const QRgb kOutline = qRgb(255, 3, 5);
const QRgb kHatch = qRgb(255, 100, 100);
const QByteArray kMale30 = "Max Muster  m\xE4nnlich 30Jahre";
const QRect kChartInside(259, 10, 531, 317); // inside the frame lines

QByteArray personFile(const QByteArray &header, const QByteArrayList &bmis)
{
    QByteArray bytes = header + "\r\n\r\n";
    for (const QByteArray &bmi : bmis)
        bytes += "  01.02.2020    70kg    1750mm     BMI: " + bmi + "\r\n";
    return bytes;
}

QImage grab(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
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

QRgb foreColour(WindowUnderTest &w)
{
    return w.form().palette().color(QPalette::WindowText).rgb();
}

QRgb backColour(WindowUnderTest &w)
{
    return w.form().palette().color(QPalette::Window).rgb();
}

// Bytes this process has taken in through read() so far.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

void pressChartFor(WindowUnderTest &w, const QString &first, const QString &last)
{
    w.field("text")->setText(first);
    w.field("Text7")->setText(last);
    w.press("Command1");
}

// The window after drawing a person file of these bytes; bytesRead gets what
// the press read from disk.
QImage chartOf(const QByteArray &bytes, qint64 *bytesRead = nullptr)
{
    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), bytes);
    WindowUnderTest w;
    const qint64 before = bytesReadSoFar();
    pressChartFor(w, QStringLiteral("Max"), QStringLiteral("Muster"));
    if (bytesRead)
        *bytesRead = bytesReadSoFar() - before;
    if (!MessageBox::history().isEmpty())
        qWarning() << MessageBox::history();
    return grab(w.form());
}

} // namespace

class TestHistoryChart : public QObject
{
    Q_OBJECT

private slots:
    void chartOfStoredPerson_data();
    void chartOfStoredPerson();
    void onlyTheFirst31RecordLinesAreRead_data();
    void onlyTheFirst31RecordLinesAreRead();
    void valuesBeyondTheScale_data();
    void valuesBeyondTheScale();
    void recordWithoutNumberIsSkipped_data();
    void recordWithoutNumberIsSkipped();
    void nothingToDrawChangesNothing_data();
    void nothingToDrawChangesNothing();
    void drawingSurvivesAMessageBox();
};

void TestHistoryChart::chartOfStoredPerson_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("femaleBefore");
    QTest::addColumn<QString>("age");
    QTest::addColumn<bool>("female");
    QTest::addColumn<int>("lowerEdge"); // pixel row of the lower box's top
    QTest::addColumn<int>("upperEdge"); // pixel row of the upper box's bottom
    QTest::addColumn<QList<QPoint>>("onLine");

    // 22, 24, 27: from (3861, 3632) to (4128, 3264), then from (4127, 3264) to (4394, 2712).
    const QByteArrayList history{"22", "24", "27"};
    const QList<QPoint> twoSegments{{266, 230}, {275, 218}, {284, 200}, {293, 181}};

    QTest::newRow("man aged 30: 20..25") << personFile(kMale30, history) << true << "30" << false << 267 << 205 << twoSegments;
    QTest::newRow("woman aged 30: 19..24") << personFile("Eva Muster  weiblich 30Jahre", history) << false << "30" << true
                                           << 279 << 218 << twoSegments;
    QTest::newRow("man aged 24: 19..24") << personFile("Max Muster  m\xE4nnlich 24Jahre", history) << true << "24" << false
                                         << 279 << 218 << twoSegments;
    QTest::newRow("one-digit age: blank sex letter, men's range")
        << personFile("Eva Muster  weiblich 5Jahre", history) << false << " 5" << false << 279 << 218 << twoSegments;
    QTest::newRow("age no number: bracket 1") << personFile("Max Muster  m\xE4nnlich xyJahre", history) << true << "xy"
                                              << false << 279 << 218 << twoSegments;
    QTest::newRow("one record line: no line") << personFile(kMale30, {"22"}) << true << "30" << false << 267 << 205
                                              << QList<QPoint>();
    QTest::newRow("header only") << QByteArray(kMale30 + "\r\n") << true << "30" << false << 267 << 205 << QList<QPoint>();
    QTest::newRow("empty file: options stay") << QByteArray() << true << "" << true << 279 << 218 << QList<QPoint>();
}

void TestHistoryChart::chartOfStoredPerson()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, femaleBefore);
    QFETCH(QString, age);
    QFETCH(bool, female);
    QFETCH(int, lowerEdge);
    QFETCH(int, upperEdge);
    QFETCH(QList<QPoint>, onLine);

    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), bytes);
    folder.write(QStringLiteral("Ada Muster.txt"), personFile("Ada Muster  weiblich 70Jahre", {"10", "45", "10"}));
    WindowUnderTest w;
    // An earlier chart that the press must replace.
    pressChartFor(w, QStringLiteral("Ada"), QStringLiteral("Muster"));
    w.enter(QStringLiteral("Max"), QStringLiteral("Muster"), QStringLiteral("41"), femaleBefore, QStringLiteral("1750"),
            QStringLiteral("70"));
    w.field("bmi")->setText(QStringLiteral("22"));
    w.press("Command1");

    QCOMPARE(MessageBox::history(), QStringList());
    QCOMPARE(w.field("Text5")->text(), age);
    for (const char *emptied : {"Text1", "Text2", "bmi"})
        QVERIFY2(w.field(emptied)->text().isEmpty(), emptied);
    QCOMPARE(w.option("Option2")->isChecked(), female);
    QCOMPARE(w.option("Option1")->isChecked(), !female);

    const QImage image = grab(w.form());
    const QRgb fore = foreColour(w);
    const QRgb back = backColour(w);
    for (int x : {300, 500, 700}) {
        QVERIFY(colourNear(image, {x, lowerEdge}, kOutline));
        QVERIFY(colourNear(image, {x, upperEdge}, kOutline));
    }
    // The left edges at x 3865 lie just right of the axis.
    QCOMPARE(image.pixel(258, (lowerEdge + 327) / 2), kOutline);
    QCOMPARE(image.pixel(258, (upperEdge + 9) / 2), kOutline);
    // Hatched boxes with the back colour between the lines; the normal band clear.
    for (const QRect &box : {QRect(300, lowerEdge + 2, 400, 326 - lowerEdge - 2), QRect(300, 11, 400, upperEdge - 13)}) {
        QVERIFY(count(image, box, kHatch) > 0);
        QVERIFY(count(image, box, back) > count(image, box, kHatch));
    }
    const QRect band(300, upperEdge + 2, 400, lowerEdge - upperEdge - 3);
    QCOMPARE(count(image, band, kHatch) + count(image, band, kOutline), 0);

    for (const QPoint &point : onLine)
        QVERIFY2(colourNear(image, point, fore), qPrintable(QStringLiteral("%1,%2").arg(point.x()).arg(point.y())));
    if (onLine.isEmpty())
        QCOMPARE(count(image, kChartInside, fore), 0);

    // Frame lines and labels stay above the drawing: the axis, the bottom,
    // top and right lines where the box outlines run, and "Normalwerte".
    for (const QPoint &onFrame : {QPoint(257, 300), QPoint(500, 327), QPoint(500, 9), QPoint(791, 300)})
        QCOMPARE(image.pixel(onFrame), fore);
    const QRect label = w.form().findChild<QLabel *>(QStringLiteral("Label7"))->geometry();
    QCOMPARE(count(image, label, kHatch) + count(image, label, kOutline), 0);
}

void TestHistoryChart::onlyTheFirst31RecordLinesAreRead_data()
{
    QTest::addColumn<QByteArray>("tail");

    QByteArray garbage(1024 * 1024, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((qint64(i) * 7919) % 251);
    const QByteArray recordOf45 = "  01.02.2020    70kg    1750mm     BMI: 45\r\n";

    QTest::newRow("40 record lines") << recordOf45.repeated(9);
    QTest::newRow("binary tail") << garbage;
    QTest::newRow("a million record lines") << recordOf45.repeated(1000000 - 31);
}

void TestHistoryChart::onlyTheFirst31RecordLinesAreRead()
{
    QFETCH(QByteArray, tail);

    // 20, 30, 20, ... 30 and then 40 as the 31st value: segment 30 climbs
    // from (11575, 2160) to (11842, 320).
    QByteArrayList values;
    for (int i = 0; i < 30; ++i)
        values << (i % 2 ? "30" : "20");
    values << "40";
    const QByteArray file = personFile(kMale30, values);

    const QImage thirtyOne = chartOf(file);
    qint64 bytesRead = 0;
    const QImage longer = chartOf(file + tail, &bytesRead);
    QCOMPARE(longer, thirtyOne);

    StationFolder folder;
    WindowUnderTest w;
    QVERIFY(colourNear(thirtyOne, {772, 144}, foreColour(w)));
    QVERIFY(colourNear(thirtyOne, {789, 21}, foreColour(w)));
    // The press stops after line 33: the few bytes it uses and at most one
    // more 64 KiB read.
    if (bytesRead < 0)
        QSKIP("no /proc/self/io to count the bytes read");
    QVERIFY2(bytesRead <= 2 * 64 * 1024, qPrintable(QString::number(bytesRead)));
}

void TestHistoryChart::valuesBeyondTheScale_data()
{
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<QPoint>("endOnSurface");
    QTest::addColumn<QPoint>("seenInWindow");
    QTest::addColumn<QRect>("untouched");

    // The end lies under the frame's top or bottom line; the window shows the
    // line up to it and nothing beyond.
    QTest::newRow("above 40 at y 136") << QByteArray("45") << QPoint(275, 9) << QPoint(275, 11) << QRect(250, 0, 40, 7);
    QTest::newRow("below 15 on the axis at y 4920") << QByteArray("10") << QPoint(275, 328) << QPoint(275, 325)
                                                    << QRect(250, 330, 40, 20);
}

void TestHistoryChart::valuesBeyondTheScale()
{
    QFETCH(QByteArray, last);
    QFETCH(QPoint, endOnSurface);
    QFETCH(QPoint, seenInWindow);
    QFETCH(QRect, untouched);

    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), personFile(kMale30, {"22", last}));
    WindowUnderTest w;
    pressChartFor(w, QStringLiteral("Max"), QStringLiteral("Muster"));

    const QRgb fore = foreColour(w);
    QVERIFY(colourNear(w.form().drawingSurface()->image(), endOnSurface, fore));
    const QImage image = grab(w.form());
    QVERIFY(colourNear(image, seenInWindow, fore));
    QCOMPARE(count(image, untouched, fore), 0);
}

void TestHistoryChart::recordWithoutNumberIsSkipped_data()
{
    QTest::addColumn<QByteArrayList>("history");
    QTest::addColumn<QByteArrayList>("drawnAs");

    QTest::newRow("in between: the next joins the last") << QByteArrayList{"22", "x?", "27"} << QByteArrayList{"22", "27"};
    QTest::newRow("first record") << QByteArrayList{"ab", "22", "27"} << QByteArrayList{"22", "27"};
    QTest::newRow("the only record") << QByteArrayList{"--"} << QByteArrayList{};
}

void TestHistoryChart::recordWithoutNumberIsSkipped()
{
    QFETCH(QByteArrayList, history);
    QFETCH(QByteArrayList, drawnAs);

    QCOMPARE(chartOf(personFile(kMale30, history)), chartOf(personFile(kMale30, drawnAs)));
    QCOMPARE(MessageBox::history(), QStringList());
}

void TestHistoryChart::nothingToDrawChangesNothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("planted"); // what lies at the path instead of a person file

    QTest::newRow("no person file") << "Eva" << "Muster" << "";
    QTest::newRow("empty names") << "" << "" << "";
    QTest::newRow("folder at the path") << "Eva" << "Muster" << "folder";
    QTest::newRow("symlink at the path") << "Eva" << "Muster" << "symlink";
}

void TestHistoryChart::nothingToDrawChangesNothing()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, planted);

    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), personFile(kMale30, {"22", "24", "27"}));
    const QString path = folder.file(QStringLiteral("Eva Muster.txt"));
    if (planted == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    if (planted == QLatin1String("symlink"))
        QVERIFY(QFile::link(folder.file(QStringLiteral("Max Muster.txt")), path));
    const QString message = planted.isEmpty()
        ? QStringLiteral("Kein Datensatz vorhanden ! !")
        : QStringLiteral("Die Datei %1 kann nicht gelesen werden: keine gewöhnliche Datei.").arg(path);

    WindowUnderTest w;
    pressChartFor(w, QStringLiteral("Max"), QStringLiteral("Muster"));
    w.enter(first, last, QStringLiteral("41"), true, QStringLiteral("1750"), QStringLiteral("70"));
    w.field("bmi")->setText(QStringLiteral("22"));
    const QImage before = grab(w.form());
    MessageBox::clearHistory();

    w.press("Command1");
    QCOMPARE(MessageBox::history(), QStringList{message});
    QCOMPARE(grab(w.form()), before);
    QCOMPARE(w.field("Text5")->text(), QString("41"));
    QCOMPARE(w.field("Text2")->text(), QString("1750"));
    QCOMPARE(w.field("Text1")->text(), QString("70"));
    QCOMPARE(w.field("bmi")->text(), QString("22"));
    QVERIFY(w.option("Option2")->isChecked());
}

void TestHistoryChart::drawingSurvivesAMessageBox()
{
    StationFolder folder;
    folder.write(QStringLiteral("Max Muster.txt"), personFile(kMale30, {"22", "24", "27"}));
    WindowUnderTest w;
    pressChartFor(w, QStringLiteral("Max"), QStringLiteral("Muster"));
    w.field("text")->setText(QStringLiteral("Eva"));
    const QImage drawn = grab(w.form());

    // A real box over the chart, answered with Enter.
    MessageBox::setNeverShow(false);
    WindowUnderTest::answerNextBoxWithKey(Qt::Key_Return);
    w.press("Command1");
    QCOMPARE(MessageBox::history(), QStringList{"Kein Datensatz vorhanden ! !"});
    QTRY_VERIFY(!QApplication::activeModalWidget());
    // A window manager hands the activation back; the offscreen platform does not.
    QApplication::setActiveWindow(&w.form());
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));

    QCOMPARE(grab(w.form()), drawn);
}

QTEST_MAIN(TestHistoryChart)
#include "tst_historychart.moc"
