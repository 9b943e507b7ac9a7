// The system outside the data folder: an entry at a person or assessment file's
// path that is no regular file is never opened (a link may point anywhere and
// the station may run as root; opening a FIFO would hang the window), written
// or replaced, and no name leads out of the folder.
#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "platform/SystemPrinter.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QDir>
#include <QTest>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// A history lying outside the data folder, whose lines must never show.
const QByteArray kSecretHistory = "Geheim Person  m\xE4nnlich 77Jahre\r\n\r\n  01.01.2001    99kg    1700mm     BMI: 34\r\n";

// Whether anything opened a watched path since the watch began; links are
// watched themselves, not followed.
class OpenWatch
{
public:
    ~OpenWatch() { ::close(m_fd); }
    bool watch(const QString &path)
    {
        return ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN | IN_DONT_FOLLOW) >= 0;
    }
    bool anyOpened() const
    {
        inotify_event events[64]; // watches on single entries carry no names
        const ssize_t n = ::read(m_fd, events, sizeof events);
        for (ssize_t i = 0; i < n / ssize_t(sizeof(inotify_event)); ++i) {
            if (events[i].mask & IN_OPEN)
                return true;
        }
        return false;
    }

private:
    int m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
};

// Every entry below the folder, with the bytes of files and the targets of links.
QMap<QString, QByteArray> treeOf(const QString &folder, const QString &prefix = QString())
{
    QMap<QString, QByteArray> tree;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden)) {
        const QString key = prefix + info.fileName();
        QByteArray content;
        QFile f(info.filePath());
        if (info.isSymLink())
            content = "-> " + QFile::encodeName(info.symLinkTarget());
        else if (info.isDir())
            tree.insert(treeOf(info.filePath(), key + '/'));
        else if (info.isFile() && f.open(QIODevice::ReadOnly))
            content = f.readAll();
        tree.insert(key, content);
    }
    return tree;
}

} // namespace

class TestOutsideFolder : public QObject
{
    Q_OBJECT

private slots:
    void foreignEntryIsNeverOpened_data();
    void foreignEntryIsNeverOpened();
    void windowsPathCharactersStayInTheFolder();
    void nameLeadingOutsideFindsNoFile_data();
    void nameLeadingOutsideFindsNoFile();
};

void TestOutsideFolder::foreignEntryIsNeverOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("atAssessment"); // else at the person file's path

    for (const char *kind : {"link to a file outside", "link to a folder outside", "dangling link to a path outside",
                             "link to another person's file", "folder", "FIFO", "FIFO with a reader waiting", "device"}) {
        QTest::addRow("%s, take-over", kind) << kind << "Command2" << false;
        QTest::addRow("%s, chart", kind) << kind << "Command1" << false;
        QTest::addRow("%s, report", kind) << kind << "Command3" << false;
        QTest::addRow("%s, table", kind) << kind << "Command5" << false;
        QTest::addRow("%s, assessment of a take-over", kind) << kind << "Command2" << true;
    }
}

void TestOutsideFolder::foreignEntryIsNeverOpened()
{
    QFETCH(QString, kind);
    QFETCH(QString, button);
    QFETCH(bool, atAssessment);

    StationFolder folder;
    folder.writeAssessmentFiles();
    folder.write("Max Muster.txt", "Max Muster  männlich 40Jahre\r\n\r\n  d    80kg    1800mm     BMI: 24\r\n");
    const QString outside = folder.home() + "/outside";
    QDir().mkdir(outside);
    folder.write("../outside/secret.txt", kSecretHistory);
    const QString path = folder.file(atAssessment ? "bmi2.txt" : "Erika Beispiel.txt");
    const QByteArray name = QFile::encodeName(path);
    QFile::remove(path);
    int reader = -1;
    if (kind == "device" && ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) // like /dev/null
        QSKIP("creating a device node needs root");
    if (kind.startsWith("FIFO"))
        QVERIFY(::mkfifo(name.constData(), 0600) == 0);
    if (kind.endsWith("waiting"))
        reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK); // a writer's open would now succeed
    if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    const QMap<QString, QString> targets{{"link to a file outside", outside + "/secret.txt"},
                                         {"link to a folder outside", outside},
                                         {"dangling link to a path outside", outside + "/new"},
                                         {"link to another person's file", "Max Muster.txt"}};
    if (targets.contains(kind))
        QVERIFY(QFile::link(targets[kind], path));
    auto before = treeOf(folder.home());
    OpenWatch watch;
    QVERIFY(watch.watch(path) && watch.watch(outside + "/secret.txt") && watch.watch(folder.file("Max Muster.txt")));

    WindowUnderTest w;
    w.list()->addItem("earlier entry");
    w.enter("Erika", "Beispiel", "41", true, "1650", "60", "12.03.2002");
    w.form().drawingSurface()->segment(4000, 200, 11000, 4000);
    const QImage drawing = w.form().drawingSurface()->image();
    w.press(button.toLatin1().constData());

    QVERIFY(!watch.anyOpened());
    QVERIFY(w.printed.operations.isEmpty());
    if (atAssessment) {
        // The record is stored; the list keeps the text of the files before the entry.
        QCOMPARE(MessageBox::history(), QStringList{"Bewertungsdatei fehlt: " + path});
        QCOMPARE(w.list()->items(), StationFolder::assessmentLines(1));
        before.insert("Eigene Dateien/Erika Beispiel.txt",
                      "Erika Beispiel  weiblich 41Jahre\r\n\r\n  12.03.2002    60kg    1650mm     BMI: 22\r\n");
    } else if (button == "Command2") {
        QCOMPARE(MessageBox::history(), QStringList{folder.storeFailure("Erika Beispiel.txt", "keine gewöhnliche Datei")});
        QCOMPARE(w.list()->items(), QStringList{"earlier entry"});
        QCOMPARE(w.field("bmi")->text(), QString("22"));
    } else {
        QCOMPARE(MessageBox::history(), QStringList{"Die Datei " + path + " kann nicht gelesen werden: keine gewöhnliche Datei."});
        QCOMPARE(w.list()->items(), QStringList{"earlier entry"});
        QCOMPARE(w.field("Text5")->text(), QString("41"));
        QCOMPARE(w.field("Text1")->text(), QString("60"));
        QCOMPARE(w.form().drawingSurface()->image(), drawing);
    }
    QCOMPARE(treeOf(folder.home()), before);
    if (reader >= 0)
        ::close(reader);
}

void TestOutsideFolder::windowsPathCharactersStayInTheFolder()
{
    // On this system a backslash or colon is part of a name, not a separator.
    StationFolder folder;
    WindowUnderTest w;
    w.enter("C:\\Windows\\..\\", "..", "35", true, "1650", "60", "12.03.2002");
    w.press("Command2");

    QCOMPARE(treeOf(folder.home()).keys(), QStringList({"Eigene Dateien", "Eigene Dateien/C:\\Windows\\..\\ ...txt"}));
    QCOMPARE(folder.read("C:\\Windows\\..\\ ...txt").left(30), QByteArray("C:\\Windows\\..\\ ..  weiblich 35"));
}

void TestOutsideFolder::nameLeadingOutsideFindsNoFile_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("pdfFallback"); // the report, when the system has no printer

    for (const char *first : {"../Geheim", "../Eigene Dateien/Erika"}) {
        QTest::addRow("%s, chart", first) << first << "Command1" << false;
        QTest::addRow("%s, report", first) << first << "Command3" << false;
        QTest::addRow("%s, report without printer", first) << first << "Command3" << true;
        QTest::addRow("%s, table", first) << first << "Command5" << false;
    }
}

void TestOutsideFolder::nameLeadingOutsideFindsNoFile()
{
    QFETCH(QString, first);
    QFETCH(QString, button);
    QFETCH(bool, pdfFallback);

    // A history waits where the name would lead, and a PDF would be written beside it.
    StationFolder folder;
    const QString planted = QDir::cleanPath(folder.file(first + " Beispiel.txt"));
    QFile f(planted);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kSecretHistory) == kSecretHistory.size());
    f.close();
    const auto before = treeOf(folder.home());
    OpenWatch watch;
    QVERIFY(watch.watch(planted));

    WindowUnderTest w(pdfFallback ? Printer::Factory([](const Printer::Job &job) {
        return SystemPrinter::toPdfFile(job.fallbackPdfPath, job.documentName);
    })
                                  : Printer::Factory());
    w.enter(first, "Beispiel", "41", true, "1650", "60");
    w.press(button.toLatin1().constData());

    QVERIFY(!watch.anyOpened());
    QVERIFY(!MessageBox::history().isEmpty());
    QCOMPARE(MessageBox::history().first(), QString("Kein Datensatz vorhanden ! !"));
    QCOMPARE(w.field("Text5")->text(), QString("41"));
    QVERIFY(w.printed.operations.filter("Geheim").isEmpty());
    for (const Printer::Job &job : std::as_const(w.printed.jobs))
        QCOMPARE(job.fallbackPdfPath, QString());
    if (pdfFallback)
        QCOMPARE(MessageBox::history().last(), QString("Drucken nicht möglich: der Name ergibt keinen zulässigen Dateinamen"));
    QCOMPARE(treeOf(folder.home()), before);
}

QTEST_MAIN(TestOutsideFolder)
#include "tst_outsidefolder.moc"
