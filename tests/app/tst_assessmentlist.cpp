#include "platform/MessageBox.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QDir>
#include <QTest>

// The assessment text that every take-over leaves in List1.
class TestAssessmentList : public QObject
{
    Q_OBJECT

private slots:
    void showsTheSelectedFile_data();
    void showsTheSelectedFile();
    void valueOfOneKeepsTheList();
    void emptySelectedFileEmptiesTheList();
    void missingFileStopsWithMessage_data();
    void missingFileStopsWithMessage();
};

void TestAssessmentList::showsTheSelectedFile_data()
{
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("age");
    QTest::addColumn<bool>("female");
    QTest::addColumn<QString>("bmi");
    QTest::addColumn<int>("file");

    // At 1000 mm the BMI equals the weight.
    QTest::newRow("24/30 m") << "1000" << "24" << "30" << false << "24" << 2;
    QTest::newRow("24/30 w") << "1000" << "24" << "30" << true << "24" << 3;
    QTest::newRow("24/24 m") << "1000" << "24" << "24" << false << "24" << 3;
    QTest::newRow("30/70 m") << "1000" << "30" << "70" << false << "30" << 3;
    QTest::newRow("25/50 m") << "1000" << "25" << "50" << false << "25" << 2;
    QTest::newRow("40/20 m") << "1000" << "40" << "20" << false << "40" << 5;
    QTest::newRow("'7,' counts as 7") << "1800" << "25" << "20" << false << "7," << 0;
}

void TestAssessmentList::showsTheSelectedFile()
{
    QFETCH(QString, height);
    QFETCH(QString, weight);
    QFETCH(QString, age);
    QFETCH(bool, female);
    QFETCH(QString, bmi);
    QFETCH(int, file);

    StationFolder folder;
    folder.writeAssessmentFiles();
    WindowUnderTest w;
    w.list()->addItem("earlier entry");
    w.enter("Erika", "Beispiel", age, female, height, weight);
    w.press("Command2");

    QCOMPARE(w.field("bmi")->text(), bmi);
    QCOMPARE(w.list()->items(), StationFolder::assessmentLines(file));
    QCOMPARE(MessageBox::history(), QStringList());
}

void TestAssessmentList::valueOfOneKeepsTheList()
{
    StationFolder folder;
    folder.writeAssessmentFiles();
    WindowUnderTest w;
    w.list()->addItem("earlier entry");
    w.enter("Max", "Muster", "70", false, "1000", "6"); // 6 - 5 = 1
    w.press("Command2");

    QCOMPARE(w.field("bmi")->text(), QString("6"));
    QCOMPARE(w.list()->items(), QStringList{"earlier entry"});
    QCOMPARE(MessageBox::history(), QStringList());
    QVERIFY(!folder.read("Max Muster.txt").isEmpty());
}

void TestAssessmentList::emptySelectedFileEmptiesTheList()
{
    StationFolder folder;
    folder.writeAssessmentFiles();
    folder.write("bmi3.txt", QByteArray());
    WindowUnderTest w;
    w.enter("Max", "Muster", "24", false, "1000", "24");
    w.press("Command2");

    QCOMPARE(w.list()->count(), 0);
    QCOMPARE(MessageBox::history(), QStringList());
}

void TestAssessmentList::missingFileStopsWithMessage_data()
{
    QTest::addColumn<QString>("broken");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("bmi3 missing: bmi2 stays")
        << "bmi3.txt" << StationFolder::assessmentLines(2);
    QTest::newRow("bmi5 missing: bmi4 stays")
        << "bmi5.txt" << StationFolder::assessmentLines(4);
    QTest::newRow("bmi0 missing: nothing was read") << "bmi0.txt" << QStringList();
    QTest::newRow("bmi4 a folder") << "bmi4.txt" << StationFolder::assessmentLines(3);
    QTest::newRow("bmi1 a symlink") << "bmi1.txt" << StationFolder::assessmentLines(0);
}

void TestAssessmentList::missingFileStopsWithMessage()
{
    QFETCH(QString, broken);
    QFETCH(QStringList, shown);

    StationFolder folder;
    folder.writeAssessmentFiles();
    QFile::remove(folder.file(broken));
    if (broken == "bmi4.txt")
        QVERIFY(QDir(folder.dataPath()).mkdir(broken));
    if (broken == "bmi1.txt")
        QVERIFY(QFile::link(folder.file("bmi2.txt"), folder.file(broken)));
    const auto before = folder.snapshot();

    WindowUnderTest w;
    w.list()->addItem("earlier entry");
    w.enter("Erika", "Muster", "20", true, "1000", "40");
    w.press("Command2");

    QCOMPARE(w.list()->items(), shown);
    QCOMPARE(MessageBox::history(),
             QStringList{"Bewertungsdatei fehlt: " + QDir::toNativeSeparators(folder.file(broken))});
    // The record was stored before; nothing else in the folder changed.
    auto after = folder.snapshot();
    QCOMPARE(after.take("Erika Muster.txt"), QByteArray("Erika Muster  weiblich 20Jahre\r\n\r\n  " +
                                                      w.field("Text3")->text().toLatin1() +
                                                      "    40kg    1000mm     BMI: 40\r\n"));
    QCOMPARE(after, before);
    QVERIFY(w.form().isVisible());
}

QTEST_MAIN(TestAssessmentList)
#include "tst_assessmentlist.moc"
