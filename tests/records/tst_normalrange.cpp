#include "records/NormalRange.h"
#include "records/PersonFile.h"

#include <QTest>

class TestNormalRange : public QObject
{
    Q_OBJECT

private slots:
    void brackets_data();
    void brackets();
    void fromHeaderLine_data();
    void fromHeaderLine();
    void plotValue_data();
    void plotValue();
};

void TestNormalRange::brackets_data()
{
    QTest::addColumn<double>("age");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<int>("lower");

    const struct { double age; int lower; } men[] = {
        {0, 19}, {24, 19}, {24.5, 20}, {25, 20}, {34, 20}, {35, 21}, {44, 21}, {45, 22},
        {54, 22}, {55, 23}, {64, 23}, {65, 24}, {99, 24},
    };
    for (const auto &row : men) {
        QTest::addRow("m %g", row.age) << row.age << "m" << row.lower;
        QTest::addRow("w %g", row.age) << row.age << "w" << row.lower - 1;
    }
    QTest::newRow("blank counts as male") << 30.0 << " " << 20;
    QTest::newRow("W is not w") << 30.0 << "W" << 20;
    QTest::newRow("e of weiblich is not w") << 30.0 << "e" << 20;
}

void TestNormalRange::brackets()
{
    QFETCH(double, age);
    QFETCH(QString, sex);
    QFETCH(int, lower);
    QCOMPARE(NormalRange::forAge(age, sex), (NormalRange{lower, lower + 5}));
}

void TestNormalRange::fromHeaderLine_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("lower");

    QTest::newRow("woman 30") << "Erika Beispiel  weiblich 30Jahre" << 19;
    QTest::newRow("woman 70") << "Erika Beispiel  weiblich 70Jahre" << 23;
    QTest::newRow("one digit: ' 5', men's range") << "Erika Beispiel  weiblich 5Jahre" << 19;
    QTest::newRow("three digits: '00', men's range") << "Erika Beispiel  weiblich 100Jahre" << 19;
    QTest::newRow("age not a number: bracket 1") << "Max Muster  männlich xyJahre" << 19;
    QTest::newRow("header of two characters") << "ab" << 19;
}

void TestNormalRange::fromHeaderLine()
{
    QFETCH(QString, header);
    QFETCH(int, lower);
    const auto range = NormalRange::forStoredAge(PersonFile::storedAge(header), PersonFile::sexLetter(header));
    QCOMPARE(range.lower, lower);
    QCOMPARE(range.upper, lower + 5);
}

void TestNormalRange::plotValue_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("expected"); // -1: no number

    const struct { const char *ending; int value; } rows[] = {
        {"41", 41}, {"45", 41}, {"99", 41}, {"40", 40}, {"22", 22}, {"15", 15}, {"14", 15},
        {" 9", 15}, {"7,", 15}, {"xx", -1}, {": ", -1}, {"-1", 15},
    };
    for (const auto &row : rows)
        QTest::newRow(row.ending) << QString::fromUtf8(row.ending) << row.value;
}

void TestNormalRange::plotValue()
{
    QFETCH(QString, ending);
    QFETCH(int, expected);
    const auto value = NormalRange::plotValue("  05.02.2002    60kg    1650mm     BMI: " + ending);
    QCOMPARE(value.value_or(-1), expected);
}

QTEST_GUILESS_MAIN(TestNormalRange)
#include "tst_normalrange.moc"
