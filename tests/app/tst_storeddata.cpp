// The stored data: a take-over that cannot store leaves every file exactly as
// it was and names the file and the reason; two stations never lose or tear a line.
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "records/PersonFile.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <optional>
#include <sched.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QByteArray kFirstVisit = "Erika Beispiel  weiblich 35Jahre\r\n\r\n  05.02.2002    60kg    1650mm     BMI: 22\r\n";

// Grown by blanks in the date, so that the next record starts at a chosen
// distance from a page boundary.
QByteArray firstVisitOfSize(qsizetype size)
{
    return QByteArray(kFirstVisit).insert(kFirstVisit.indexOf("05.02"), QByteArray(size - kFirstVisit.size(), ' '));
}

// Mounts need root and a mount namespace of the test's own, so none outlives it.
bool canMount = false;

// A small tmpfs, or the folder bound read-only onto itself.
bool mountOver(const QByteArray &path, bool readOnly)
{
    if (!readOnly)
        return canMount && ::mount("tmpfs", path, "tmpfs", MS_NOSUID | MS_NODEV, "size=65536") == 0;
    return canMount && ::mount(path, path, nullptr, MS_BIND, nullptr) == 0
        && ::mount(nullptr, path, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

// File access as nobody on this thread, so permission bits stop root too
// (leaving file-system uid 0 drops root's override of them).
struct OrdinaryUser {
    const bool root = ::geteuid() == 0;
    OrdinaryUser() { if (root) { ::setfsgid(65534); ::setfsuid(65534); } }
    ~OrdinaryUser() { if (root) { ::setfsuid(0); ::setfsgid(0); } }
};

// No file may grow past the limit: a write is cut short and the next fails
// with EFBIG, as on a disk running full mid-write (instead of SIGXFSZ).
struct FileSizeLimit {
    rlimit old {};
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit {bytes, old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old); std::signal(SIGXFSZ, oldHandler); }
};

bool says(QProcess &station, const QByteArray &line)
{
    while (!station.canReadLine()) {
        if (!station.waitForReadyRead(60000))
            return false;
    }
    return station.readLine() == line + '\n';
}

bool startStation(QProcess &station, const QStringList &arguments)
{
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(QStringLiteral(TAKEOVER_STATION), arguments);
    return station.waitForStarted() && says(station, "bereit");
}

bool endsWell(QProcess &station)
{
    return station.waitForFinished(240000) && station.exitStatus() == QProcess::NormalExit && station.exitCode() == 0;
}

// One header (from whichever station came first), the empty line, and every
// record of both stations whole, each station's in the order it stored them.
void verifyTwoStationFile(const QByteArray &bytes, int person, int takeOversEach)
{
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    const QStringList lines = TextFile::decode(bytes.chopped(2)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 2 + 2 * takeOversEach);
    const QString name = QStringLiteral("Zwei Stationen %1").arg(person);
    QVERIFY2(lines[0] == name + "  männlich 35Jahre" || lines[0] == name + "  weiblich 36Jahre", qPrintable(lines[0]));
    QCOMPARE(lines[1], QString());
    for (const QString tag : {QStringLiteral("A"), QStringLiteral("B")}) {
        QStringList expected;
        for (int n = 0; n < takeOversEach; ++n)
            expected << PersonFile::recordLine(tag + QString::number(n), "60", "1650", "22");
        QCOMPARE(lines.mid(2).filter(QRegularExpression("^  " + tag)), expected);
    }
}

} // namespace

enum class Disk { FolderMissing, FolderNotWritable, FileNotWritable, ReadOnlyMount, Full, SizeLimit, NameTooLong };
Q_DECLARE_METATYPE(Disk)

class TestStoredData : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        canMount = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0
            && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

private slots:
    void failingDiskKeepsEveryByte_data();
    void failingDiskKeepsEveryByte();
    void twoStationsAppendWholeLines_data();
    void twoStationsAppendWholeLines();
};

void TestStoredData::failingDiskKeepsEveryByte_data()
{
    QTest::addColumn<Disk>("disk");
    QTest::addColumn<QByteArray>("existing"); // null: no person file yet
    QTest::addColumn<QString>("reason");

    const QString readOnly = "Datenträger ist schreibgeschützt";
    const QString full = "kein Speicherplatz mehr auf dem Datenträger";
    QTest::newRow("data folder missing") << Disk::FolderMissing << QByteArray() << "Ordner oder Datei nicht vorhanden";
    QTest::newRow("folder without write permission") << Disk::FolderNotWritable << QByteArray() << "keine Berechtigung";
    QTest::newRow("file without write permission") << Disk::FileNotWritable << kFirstVisit << "keine Berechtigung";
    QTest::newRow("read-only mount, first visit") << Disk::ReadOnlyMount << QByteArray() << readOnly;
    QTest::newRow("read-only mount, later visit") << Disk::ReadOnlyMount << kFirstVisit << readOnly;
    QTest::newRow("disk full, first visit") << Disk::Full << QByteArray() << full;
    QTest::newRow("disk full, file ends on a page") << Disk::Full << firstVisitOfSize(4096) << full;
    QTest::newRow("disk full in the middle of the record") << Disk::Full << firstVisitOfSize(4096 - 10) << full;
    QTest::newRow("size limit in the middle of the first visit") << Disk::SizeLimit << QByteArray() << "Datei zu groß";
    QTest::newRow("size limit in the middle of the record") << Disk::SizeLimit << kFirstVisit << "Datei zu groß";
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
    const QByteArray dataPath = QFile::encodeName(folder.dataPath());
    const auto unmount = qScopeGuard([&] { ::umount2(dataPath.constData(), MNT_DETACH); });
    if (disk == Disk::Full && !mountOver(dataPath, false))
        QSKIP("no tmpfs for a full disk: mounting needs root and a mount namespace");
    if (!existing.isNull())
        folder.write(name, existing);
    QFile filler(folder.file("filler"));
    if (disk == Disk::Full && filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        while (filler.write(QByteArray(4096, 'f')) == 4096) {
        }
        filler.close();
    }
    if (disk == Disk::ReadOnlyMount && !mountOver(dataPath, true))
        QSKIP("no read-only mount: mounting needs root and a mount namespace");
    const bool permissions = disk == Disk::FolderNotWritable || disk == Disk::FileNotWritable;
    if (permissions) {
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        QFile::setPermissions(folder.home(), readOnly | QFile::WriteOwner); // others must reach the folder
        QFile::setPermissions(disk == Disk::FileNotWritable ? folder.file(name) : folder.dataPath(), readOnly);
    }
    const auto before = folder.snapshot();

    WindowUnderTest w;
    w.list()->addItem("earlier entry");
    w.enter(first, "Beispiel", "35", true, "1650", "60", "12.03.2002");
    {
        std::optional<OrdinaryUser> user;
        std::optional<FileSizeLimit> limit;
        if (permissions)
            user.emplace();
        if (disk == Disk::SizeLimit)
            limit.emplace(rlim_t(existing.size() + 10));
        w.press("Command2");
    }

    QCOMPARE(folder.snapshot(), before);
    QCOMPARE(MessageBox::history(), QStringList{folder.storeFailure(name, reason)});
    QCOMPARE(w.field("bmi")->text(), QString("22")); // shown before the file was touched
    QCOMPARE(w.list()->items(), QStringList{"earlier entry"});
}

void TestStoredData::twoStationsAppendWholeLines_data()
{
    QTest::addColumn<int>("persons");
    QTest::addColumn<int>("takeOversEach");
    QTest::addColumn<bool>("held");

    QTest::newRow("500 take-overs each on one file") << 1 << 500 << false;
    // Fresh files, each created by whichever station gets there first. The
    // stations meet within microseconds, so the race is run many times.
    QTest::newRow("racing first take-overs on 50 files") << 50 << 1 << false;
    // The race held at its worst moment: A has begun creating the file when B stores.
    QTest::newRow("B stores while A creates the file") << 1 << 1 << true;
}

void TestStoredData::twoStationsAppendWholeLines()
{
    QFETCH(int, persons);
    QFETCH(int, takeOversEach);
    QFETCH(bool, held);

    StationFolder folder;
    QProcess a;
    QProcess b;
    const QStringList counts{QString::number(persons), QString::number(takeOversEach)};
    QVERIFY(startStation(a, QStringList{"A"} + counts + (held ? QStringList{"anhalten"} : QStringList())));
    QVERIFY(startStation(b, QStringList{"B"} + counts));
    a.write("los\n");
    QVERIFY(!held || says(a, "angehalten"));
    b.write("los\n");
    if (held) {
        QVERIFY(endsWell(b));
        a.write("weiter\n");
    }
    QVERIFY(endsWell(a));
    QVERIFY(held || endsWell(b));

    QCOMPARE(folder.snapshot().size(), persons);
    for (int person = 0; person < persons && !QTest::currentTestFailed(); ++person)
        verifyTwoStationFile(folder.read(QStringLiteral("Zwei Stationen %1.txt").arg(person)), person, takeOversEach);
}

QTEST_MAIN(TestStoredData)
#include "tst_storeddata.moc"
