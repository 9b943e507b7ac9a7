// What protects the stored data: a press that cannot store leaves every file
// exactly as it was and names the file and the reason; a record goes behind
// whatever a file already holds; two stations never lose or tear a line.
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "records/PersonFile.h"
#include "support/FileSizeLimit.h"
#include "support/OrdinaryUser.h"
#include "support/PrivateMount.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QProcess>
#include <QTest>

#include <optional>

namespace {

const QByteArray kFirstVisit = "Erika Beispiel  weiblich 35Jahre\r\n"
                               "\r\n"
                               "  05.02.2002    60kg    1650mm     BMI: 22\r\n";
// What the press below stores (60 kg at 1650 mm on 12.03.2002).
const QByteArray kRecord = "  12.03.2002    60kg    1650mm     BMI: 22\r\n";

// The first visit's bytes grown to exactly `size` by blanks in its date, so
// that the next record starts at a chosen distance from a page boundary.
QByteArray firstVisitOfSize(qsizetype size)
{
    QByteArray bytes = kFirstVisit;
    bytes.insert(bytes.indexOf("05.02.2002"), QByteArray(size - bytes.size(), ' '));
    return bytes;
}

// Writes pages until the file system refuses one more.
void fillUp(const StationFolder &folder)
{
    QFile filler(folder.file(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray page(4096, 'f');
    while (filler.write(page) == page.size()) {
    }
}

} // namespace

enum class Disk { FolderMissing, FolderNotWritable, FileNotWritable, ReadOnlyMount, Full, SizeLimit, NameTooLong };
Q_DECLARE_METATYPE(Disk)

class TestStoredData : public QObject
{
    Q_OBJECT

public:
    static void initMain() { PrivateMount::enterNamespace(); }

private slots:
    void failingDiskKeepsEveryByte_data();
    void failingDiskKeepsEveryByte();
    void recordGoesBehindWhateverTheFileHolds_data();
    void recordGoesBehindWhateverTheFileHolds();
    void twoStationsAppendWholeLines();
    void racingFirstTakeOversWriteOneHeader();
    void appendWhileAnotherStationCreatesTheFile();

private:
    void startStation(QProcess &station, const QStringList &arguments);
    void runTwoStations(int persons, int takeOversEach);
    void verifyTwoStationFile(const QByteArray &bytes, int person, int takeOversEach);
};

void TestStoredData::failingDiskKeepsEveryByte_data()
{
    QTest::addColumn<Disk>("disk");
    QTest::addColumn<QByteArray>("existing"); // null: no person file yet
    QTest::addColumn<QString>("reason");

    const QString missing = "Ordner oder Datei nicht vorhanden";
    const QString denied = "keine Berechtigung";
    const QString readOnly = "Datenträger ist schreibgeschützt";
    const QString full = "kein Speicherplatz mehr auf dem Datenträger";
    const QString tooBig = "Datei zu groß";
    QTest::newRow("data folder missing") << Disk::FolderMissing << QByteArray() << missing;
    QTest::newRow("folder without write permission") << Disk::FolderNotWritable << QByteArray() << denied;
    QTest::newRow("file without write permission") << Disk::FileNotWritable << kFirstVisit << denied;
    QTest::newRow("read-only mount, first visit") << Disk::ReadOnlyMount << QByteArray() << readOnly;
    QTest::newRow("read-only mount, later visit") << Disk::ReadOnlyMount << kFirstVisit << readOnly;
    QTest::newRow("disk full, first visit") << Disk::Full << QByteArray() << full;
    QTest::newRow("disk full, file ends on a page") << Disk::Full << firstVisitOfSize(4096) << full;
    QTest::newRow("disk full in the middle of the record") << Disk::Full << firstVisitOfSize(4096 - 10) << full;
    QTest::newRow("size limit in the middle of the first visit") << Disk::SizeLimit << QByteArray() << tooBig;
    QTest::newRow("size limit in the middle of the record") << Disk::SizeLimit << kFirstVisit << tooBig;
    QTest::newRow("name longer than the file system allows") << Disk::NameTooLong << QByteArray() << "Dateiname zu lang";
}

void TestStoredData::failingDiskKeepsEveryByte()
{
    QFETCH(Disk, disk);
    QFETCH(QByteArray, existing);
    QFETCH(QString, reason);

    StationFolder folder(disk != Disk::FolderMissing);
    const QString first = disk == Disk::NameTooLong ? QString(300, QLatin1Char('E')) : QStringLiteral("Erika");
    const QString name = first + " Beispiel.txt";
    const QString path = folder.file(name);

    std::unique_ptr<PrivateMount> mount;
    if (disk == Disk::Full && !(mount = PrivateMount::tmpfs(folder.dataPath(), 64 * 1024)))
        QSKIP(qPrintable("no tmpfs for a full disk: " + PrivateMount::unavailableReason()));
    if (!existing.isNull())
        folder.write(name, existing);
    if (disk == Disk::Full)
        fillUp(folder);
    if (disk == Disk::ReadOnlyMount && !(mount = PrivateMount::readOnly(folder.dataPath())))
        QSKIP(qPrintable("no read-only mount: " + PrivateMount::unavailableReason()));
    const bool permissions = disk == Disk::FolderNotWritable || disk == Disk::FileNotWritable;
    if (permissions) {
        // An ordinary user must be able to reach the folder to be refused inside it.
        QFile::setPermissions(folder.home(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(disk == Disk::FileNotWritable ? path : folder.dataPath(),
                              QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    }
    const auto before = folder.snapshot();

    WindowUnderTest w;
    w.list()->addItem("earlier entry");
    w.enter(first, "Beispiel", "35", true, "1650", "60", "12.03.2002");
    {
        std::optional<OrdinaryUser> user;
        if (permissions)
            user.emplace();
        std::optional<FileSizeLimit> limit;
        if (disk == Disk::SizeLimit)
            limit.emplace(rlim_t(existing.size() + 10));
        w.press("Command2");
    }

    QCOMPARE(folder.snapshot(), before);
    QCOMPARE(MessageBox::history(), QStringList{folder.storeFailure(name, reason)});
    // The BMI was shown before the file was touched; the list keeps its entries.
    QCOMPARE(w.field("bmi")->text(), QString("22"));
    QCOMPARE(w.list()->items(), QStringList{"earlier entry"});
}

void TestStoredData::recordGoesBehindWhateverTheFileHolds_data()
{
    QTest::addColumn<QByteArray>("existing");

    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("header line only") << QByteArray("Erika Beispiel  weiblich 35Jahre\r\n");
    QTest::newRow("header and empty line") << QByteArray("Erika Beispiel  weiblich 35Jahre\r\n\r\n");
    QTest::newRow("no line end at the end") << kFirstVisit.chopped(2);
    QTest::newRow("every byte value") << everyByte;
    QTest::newRow("NULs") << QByteArray(1000, '\0');
    QTest::newRow("bytes Windows-1252 leaves undefined") << QByteArray("\x81\x8D\x8F\x90\x9D\r\n");
    QTest::newRow("header of one character") << QByteArray("E\r\n\r\n");
    QTest::newRow("header of two characters") << QByteArray("Er\r\n\r\n");
    QTest::newRow("age and BMIs no numbers") << QByteArray("Erika Beispiel  weiblich xyJahre\r\n\r\n  d    60kg    1650mm     BMI: ab\r\n");
    QTest::newRow("50 MB single line") << QByteArray(50 * 1024 * 1024, 'x');
}

void TestStoredData::recordGoesBehindWhateverTheFileHolds()
{
    QFETCH(QByteArray, existing);

    StationFolder folder;
    folder.write("Erika Beispiel.txt", existing);
    WindowUnderTest w;
    w.enter("Erika", "Beispiel", "35", true, "1650", "60", "12.03.2002");
    w.press("Command2");

    QVERIFY(folder.read("Erika Beispiel.txt") == existing + kRecord);
    QCOMPARE(folder.snapshot().keys(), QStringList{"Erika Beispiel.txt"});
    QCOMPARE(w.field("bmi")->text(), QString("22"));
    for (const QString &message : MessageBox::history())
        QVERIFY2(!message.contains("Erika Beispiel.txt"), qPrintable(message));
}

namespace {

bool says(QProcess &station, const QByteArray &line)
{
    while (!station.canReadLine()) {
        if (!station.waitForReadyRead(60000))
            return false;
    }
    return station.readLine() == line + '\n';
}

bool endsWell(QProcess &station)
{
    return station.waitForFinished(240000) && station.exitStatus() == QProcess::NormalExit && station.exitCode() == 0;
}

} // namespace

// Starts a station and waits until it is ready to go.
void TestStoredData::startStation(QProcess &station, const QStringList &arguments)
{
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(QStringLiteral(TAKEOVER_STATION), arguments);
    QVERIFY(station.waitForStarted());
    QVERIFY(says(station, "bereit"));
}

// Lets both stations go at once and waits until both are done.
void TestStoredData::runTwoStations(int persons, int takeOversEach)
{
    QProcess stations[2];
    startStation(stations[0], {"A", QString::number(persons), QString::number(takeOversEach)});
    startStation(stations[1], {"B", QString::number(persons), QString::number(takeOversEach)});
    if (QTest::currentTestFailed())
        return;
    for (QProcess &station : stations)
        station.write("los\n");
    for (QProcess &station : stations)
        QVERIFY(endsWell(station));
}

// One header (from whichever station came first), the empty line, and every
// record of both stations, whole, each station's in the order it stored them.
void TestStoredData::verifyTwoStationFile(const QByteArray &bytes, int person, int takeOversEach)
{
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QStringList lines = TextFile::decode(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    QCOMPARE(lines.size(), 2 + 2 * takeOversEach);
    const QString name = QStringLiteral("Zwei Stationen %1").arg(person);
    QVERIFY2(lines[0] == name + "  männlich 35Jahre" || lines[0] == name + "  weiblich 36Jahre", qPrintable(lines[0]));
    QCOMPARE(lines[1], QString());
    for (const QString tag : {QStringLiteral("A"), QStringLiteral("B")}) {
        QStringList expected;
        for (int n = 0; n < takeOversEach; ++n)
            expected << PersonFile::recordLine(tag + QString::number(n), "60", "1650", "22");
        QStringList stored;
        for (const QString &line : lines.mid(2)) {
            if (line.startsWith("  " + tag))
                stored << line;
        }
        QCOMPARE(stored, expected);
    }
}

void TestStoredData::twoStationsAppendWholeLines()
{
    StationFolder folder;
    runTwoStations(1, 500);
    if (QTest::currentTestFailed())
        return;
    verifyTwoStationFile(folder.read("Zwei Stationen 0.txt"), 0, 500);
    QCOMPARE(folder.snapshot().size(), 1);
}

void TestStoredData::racingFirstTakeOversWriteOneHeader()
{
    // Fresh files, each created by whichever station gets there first. The
    // stations meet within microseconds, so the race is run many times.
    const int rounds = 50;
    StationFolder folder;
    runTwoStations(rounds, 1);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(folder.snapshot().size(), rounds);
    for (int person = 0; person < rounds; ++person) {
        verifyTwoStationFile(folder.read(QStringLiteral("Zwei Stationen %1.txt").arg(person)), person, 1);
        if (QTest::currentTestFailed())
            return;
    }
}

void TestStoredData::appendWhileAnotherStationCreatesTheFile()
{
    // The race above, held at its worst moment: A has begun creating the
    // file when B stores its take-over.
    StationFolder folder;
    QProcess a;
    QProcess b;
    startStation(a, {"A", "1", "1", "anhalten"});
    startStation(b, {"B", "1", "1"});
    a.write("los\n");
    QVERIFY(says(a, "angehalten"));
    b.write("los\n");
    QVERIFY(endsWell(b));
    a.write("weiter\n");
    QVERIFY(endsWell(a));
    verifyTwoStationFile(folder.read("Zwei Stationen 0.txt"), 0, 1);
}

QTEST_MAIN(TestStoredData)
#include "tst_storeddata.moc"
