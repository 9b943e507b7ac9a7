#include "records/BmiCalculation.h"
#include "records/TakeOver.h"
#include "support/StationFolder.h"

#include <QTest>

class TestTakeOver : public QObject
{
    Q_OBJECT

private slots:
    void bmiText_data();
    void bmiText();
    void refusals_data();
    void refusals();
    void acceptsWhatThePersonFileAllows();
};

void TestTakeOver::bmiText_data()
{
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("expected");

    QTest::newRow("22.04 is cut to 22") << "60" << "1650" << "22";
    QTest::newRow("24.999999999999996 rounds to 25 first") << "64" << "1600" << "25";
    QTest::newRow("below 10 keeps the separator") << "25" << "1800" << "7,";
    QTest::newRow("exactly 9") << "9" << "1000" << "9";
    QTest::newRow("120 gives its first two digits") << "120" << "1000" << "12";
    QTest::newRow("1500 has no grouping") << "15" << "100" << "15";
    QTest::newRow("decimal comma in the weight") << "60,5" << "1650" << "22";
    QTest::newRow("surrounding blanks are allowed") << " 60" << "1650 " << "22";
    // Written with 15 digits the largest double reads 1,79769313486232E+308,
    // beyond the range of a double; only its first two characters are kept.
    QTest::newRow("largest double") << "1,7976931348623157E+308" << "1000" << "1,";
}

void TestTakeOver::bmiText()
{
    QFETCH(QString, weight);
    QFETCH(QString, height);
    QFETCH(QString, expected);

    const auto decimal = BmiCalculation::bmiDecimalText(weight, height);
    QVERIFY(decimal);
    QCOMPARE(BmiCalculation::bmiText(*decimal), expected);
}

void TestTakeOver::refusals_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("age");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("date");

    const QString d = "05.02.2002";
    QTest::newRow("empty first name") << "" << "Beispiel" << "35" << "1650" << "60" << d;
    QTest::newRow("empty last name") << "Erika" << "" << "35" << "1650" << "60" << d;
    QTest::newRow("empty age") << "Erika" << "Beispiel" << "" << "1650" << "60" << d;
    QTest::newRow("age not a number") << "Erika" << "Beispiel" << "3x" << "1650" << "60" << d;
    QTest::newRow("age infinite") << "Erika" << "Beispiel" << "inf" << "1650" << "60" << d;
    QTest::newRow("empty height") << "Erika" << "Beispiel" << "35" << "" << "60" << d;
    QTest::newRow("empty weight") << "Erika" << "Beispiel" << "35" << "1650" << "" << d;
    QTest::newRow("height not a number") << "Erika" << "Beispiel" << "35" << "16a" << "60" << d;
    QTest::newRow("grouped height") << "Erika" << "Beispiel" << "35" << "1.650" << "60" << d;
    QTest::newRow("height zero") << "Erika" << "Beispiel" << "35" << "0" << "60" << d;
    QTest::newRow("height nan") << "Erika" << "Beispiel" << "35" << "nan" << "60" << d;
    QTest::newRow("weight inf") << "Erika" << "Beispiel" << "35" << "1650" << "inf" << d;
    QTest::newRow("BMI overflows") << "Erika" << "Beispiel" << "35" << "1e-200" << "1e200" << d;
    QTest::newRow("slash in the name") << "../../etc" << "passwd" << "35" << "1650" << "60" << d;
    QTest::newRow("NUL in the name") << QString("Er") + QChar(0) + "ika" << "Beispiel" << "35" << "1650" << "60" << d;
    QTest::newRow("line break in the date") << "Erika" << "Beispiel" << "35" << "1650" << "60" << "05.02.\r\n2002";
    QTest::newRow("tab in the last name") << "Erika" << "Bei\tspiel" << "35" << "1650" << "60" << d;
    QTest::newRow("not in Windows-1252") << "Łukasz" << "Beispiel" << "35" << "1650" << "60" << d;
    QTest::newRow("emoji in the date") << "Erika" << "Beispiel" << "35" << "1650" << "60" << QString::fromUtf8("\xF0\x9F\x98\x80");
}

void TestTakeOver::refusals()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, age);
    QFETCH(QString, height);
    QFETCH(QString, weight);
    QFETCH(QString, date);

    QVERIFY(!TakeOver::plan({first, last, age, true, false, height, weight, date}));
}

void TestTakeOver::acceptsWhatThePersonFileAllows()
{
    StationFolder folder;
    // Blanks count as filled; umlauts and the euro sign have a byte in the code page.
    const auto plan = TakeOver::plan({" ", "Müller €", "35", false, false, "1650", "60", "heute"});
    QVERIFY(plan);
    QCOMPARE(plan->filePath, folder.dataPath() + "  Müller €.txt");
    QCOMPARE(plan->headerLine, QString("  Müller € 35Jahre"));
    QCOMPARE(plan->recordLine, QString("  heute    60kg    1650mm     BMI: 22"));
}

QTEST_GUILESS_MAIN(TestTakeOver)
#include "tst_takeover.moc"
