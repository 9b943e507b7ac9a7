#include "records/Assessment.h"
#include "support/StationFolder.h"

#include <QTest>

class TestAssessment : public QObject
{
    Q_OBJECT

private slots:
    void selectedFile_data();
    void selectedFile();
    void ageReduction_data();
    void ageReduction();
};

void TestAssessment::selectedFile_data()
{
    QTest::addColumn<QString>("bmi");
    QTest::addColumn<QString>("age");
    QTest::addColumn<bool>("female");
    QTest::addColumn<int>("last"); // highest file read; -1: none, the list stays

    QTest::newRow("24/30 m: 23 does not exceed 23") << "24" << "30" << false << 2;
    QTest::newRow("24/30 w: 24") << "24" << "30" << true << 3;
    QTest::newRow("24/24 m: no reduction") << "24" << "24" << false << 3;
    QTest::newRow("30/70 m: 25") << "30" << "70" << false << 3;
    QTest::newRow("25/50 m: 22") << "25" << "50" << false << 2;
    QTest::newRow("40/20 m") << "40" << "20" << false << 5;
    QTest::newRow("6/70 m: 1 exceeds nothing") << "6" << "70" << false << -1;
    QTest::newRow("6/70 w: 2") << "6" << "70" << true << 0;
    QTest::newRow("'7,' counts as 7") << "7," << "20" << false << 0;
    QTest::newRow("'7,' at 70 m: 2") << "7," << "70" << false << 0;
    QTest::newRow("15 is not above 15") << "15" << "20" << false << 0;
    QTest::newRow("16") << "16" << "20" << false << 1;
    QTest::newRow("18 w: 19") << "18" << "20" << true << 2;
    QTest::newRow("29") << "29" << "20" << false << 4;
    QTest::newRow("38 is not above 38") << "38" << "20" << false << 4;
    QTest::newRow("39 at 24,5: 38") << "39" << "24,5" << false << 4;
    QTest::newRow("age no number: no reduction") << "24" << "x" << false << 3;
    QTest::newRow("BMI text no number: nothing read") << "ab" << "20" << false << -1;
}

void TestAssessment::selectedFile()
{
    QFETCH(QString, bmi);
    QFETCH(QString, age);
    QFETCH(bool, female);
    QFETCH(int, last);

    StationFolder folder;
    QStringList expected;
    for (int i = 0; i <= last; ++i)
        expected << folder.file(QString("bmi%1.txt").arg(i));
    QCOMPARE(Assessment::files(bmi, age, female), expected);
}

void TestAssessment::ageReduction_data()
{
    QTest::addColumn<QString>("age");
    QTest::addColumn<int>("reduction");

    const struct { const char *age; int reduction; } rows[] = {
        {"0", 0}, {"24", 0}, {"24,5", 1}, {"25", 1}, {"34", 1}, {"34,01", 2}, {"44", 2}, {"45", 3},
        {"54", 3}, {"55", 4}, {"64", 4}, {"65", 5}, {"999", 5}, {"-3", 0}, {" 30", 1},
        {"", 0}, {"x", 0}, {"24.5", 0}, {"nan", 0},
    };
    for (const auto &row : rows)
        QTest::addRow("'%s'", row.age) << QString(row.age) << row.reduction;
}

void TestAssessment::ageReduction()
{
    QFETCH(QString, age);
    QFETCH(int, reduction);
    QCOMPARE(Assessment::ageReduction(age), reduction);
}

QTEST_GUILESS_MAIN(TestAssessment)
#include "tst_assessment.moc"
