#include "records/PersonFile.h"
#include "support/StationFolder.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestPersonFile : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleIsCreatedThenExtended();
    void headerLines_data();
    void headerLines();
    void readingRules_data();
    void readingRules();
    void missingFolderIsReportedAndNothingCreated();
    void symlinkIsNeitherFollowedNorReplaced();
    void fifoFailsWithoutBlocking();
};

void TestPersonFile::workedExampleIsCreatedThenExtended()
{
    StationFolder folder;
    const QString name = PersonFile::fullName("Erika", "Beispiel");
    const QString path = PersonFile::path(name);
    QCOMPARE(path, folder.file("Erika Beispiel.txt"));

    const QString header = PersonFile::headerLine(name, PersonFile::sexWord(false, true), "35");
    QVERIFY(PersonFile::store(path, header, PersonFile::recordLine("05.02.2002", "60", "1650", "22")).ok);
    const QByteArray first = "Erika Beispiel  weiblich 35Jahre\r\n"
                             "\r\n"
                             "  05.02.2002    60kg    1650mm     BMI: 22\r\n";
    QCOMPARE(folder.read("Erika Beispiel.txt"), first);

    // A later take-over with another age and sex leaves the header alone.
    const QString otherHeader = PersonFile::headerLine(name, PersonFile::sexWord(true, false), "36");
    QVERIFY(PersonFile::store(path, otherHeader, PersonFile::recordLine("12.03.2002", "58", "1650", "21")).ok);
    QCOMPARE(folder.read("Erika Beispiel.txt"), first + "  12.03.2002    58kg    1650mm     BMI: 21\r\n");
}

void TestPersonFile::headerLines_data()
{
    QTest::addColumn<bool>("male");
    QTest::addColumn<bool>("female");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("male, ä as byte E4") << true << false << QByteArray("Max Muster  m\xE4nnlich 40Jahre\r\n");
    QTest::newRow("female") << false << true << QByteArray("Max Muster  weiblich 40Jahre\r\n");
    QTest::newRow("no sex word") << false << false << QByteArray("Max Muster 40Jahre\r\n");
}

void TestPersonFile::headerLines()
{
    QFETCH(bool, male);
    QFETCH(bool, female);
    QFETCH(QByteArray, expected);

    StationFolder folder;
    const QString name = PersonFile::fullName("Max", "Muster");
    QVERIFY(PersonFile::store(PersonFile::path(name), PersonFile::headerLine(name, PersonFile::sexWord(male, female), "40"),
                              PersonFile::recordLine("d", "80", "1800", "24"))
                .ok);
    QCOMPARE(folder.read("Max Muster.txt"), expected + "\r\n  d    80kg    1800mm     BMI: 24\r\n");
}

void TestPersonFile::readingRules_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("sexLetter");
    QTest::addColumn<QString>("storedAge");

    QTest::newRow("two-digit age") << "Erika Beispiel  weiblich 35Jahre" << "w" << "35";
    QTest::newRow("one-digit age shifts") << "Erika Beispiel  weiblich 9Jahre" << " " << " 9";
    QTest::newRow("three-digit age shifts") << "Erika Beispiel  weiblich 100Jahre" << "e" << "00";
    QTest::newRow("male three digits") << "Max Muster  männlich 100Jahre" << "ä" << "00";
    QTest::newRow("no sex word: a letter of the name") << "Max Muster 40Jahre" << "x" << "40";
    QTest::newRow("shorter than the windows") << "ab" << "a" << "ab";
    QTest::newRow("empty") << "" << "" << "";
}

void TestPersonFile::readingRules()
{
    QFETCH(QString, header);
    QFETCH(QString, sexLetter);
    QFETCH(QString, storedAge);

    QCOMPARE(PersonFile::sexLetter(header), sexLetter);
    QCOMPARE(PersonFile::storedAge(header), storedAge);
}

void TestPersonFile::missingFolderIsReportedAndNothingCreated()
{
    StationFolder folder(false);
    const QString path = PersonFile::path("Erika Beispiel");
    const auto result = PersonFile::store(path, "h", "r");
    QVERIFY(!result.ok);
    QVERIFY(result.message.contains(path));
    QVERIFY(result.message.contains("nicht vorhanden"));
    QVERIFY(!QFile::exists(folder.dataPath()));
}

void TestPersonFile::symlinkIsNeitherFollowedNorReplaced()
{
    StationFolder folder;
    const QString target = folder.home() + "/target.txt";
    QFile t(target);
    QVERIFY(t.open(QIODevice::WriteOnly));
    t.write("secret\n");
    t.close();
    QVERIFY(QFile::link(target, folder.file("Erika Beispiel.txt")));

    const auto result = PersonFile::store(folder.file("Erika Beispiel.txt"), "h", "r");
    QVERIFY(!result.ok);
    QVERIFY(t.open(QIODevice::ReadOnly));
    QCOMPARE(t.readAll(), QByteArray("secret\n"));
    QVERIFY(QFileInfo(folder.file("Erika Beispiel.txt")).isSymLink());
}

void TestPersonFile::fifoFailsWithoutBlocking()
{
    StationFolder folder;
    QVERIFY(::mkfifo(QFile::encodeName(folder.file("Erika Beispiel.txt")).constData(), 0600) == 0);
    const auto result = PersonFile::store(folder.file("Erika Beispiel.txt"), "h", "r");
    QVERIFY(!result.ok);
    QVERIFY(result.message.contains("keine gewöhnliche Datei"));
}

QTEST_GUILESS_MAIN(TestPersonFile)
#include "tst_personfile.moc"
