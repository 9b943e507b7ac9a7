// What protects the system outside the data folder: an entry at a person or
// assessment file's path that is not a regular file (a link could point at
// any file of the system, and the station may run as root) is neither opened
// nor written nor replaced, and a name cannot lead out of the folder.
#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "platform/SystemPrinter.h"
#include "support/OpenWatch.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

const QByteArray kOutsideBytes = "root:x:0:0:root:/root:/bin/bash\n";
// A person file lying outside the data folder, whose lines must never show.
const QByteArray kSecretHistory = "Geheim Person  m\xE4nnlich 77Jahre\r\n\r\n  01.01.2001    99kg    1700mm     BMI: 34\r\n";

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// Plants an entry that is no regular file; false when the system refuses.
bool plant(const QString &kind, const QString &path, const QString &outsideFile)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "link to a file outside")
        return QFile::link(outsideFile, path);
    if (kind == "folder")
        return QDir().mkdir(path);
    if (kind == "FIFO")
        return ::mkfifo(name.constData(), 0600) == 0;
    return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0; // like /dev/null
}

bool anyTextContains(const QStringList &operations, const QString &part)
{
    for (const QString &operation : operations) {
        if (operation.contains(part))
            return true;
    }
    return false;
}

// Every entry below the folder, with the bytes of regular files and the
// target of links, to prove that nothing outside the data folder changed.
QMap<QString, QByteArray> treeOf(const QString &folder)
{
    QMap<QString, QByteArray> tree;
    QDir dir(folder);
    for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden)) {
        QByteArray content;
        if (info.isSymLink()) {
            content = "-> " + QFile::encodeName(info.symLinkTarget());
        } else if (info.isDir()) {
            const auto below = treeOf(info.filePath());
            for (auto it = below.begin(); it != below.end(); ++it)
                tree.insert(info.fileName() + '/' + it.key(), it.value());
        } else if (info.isFile()) {
            QFile f(info.filePath());
            if (f.open(QIODevice::ReadOnly))
                content = f.readAll();
        }
        tree.insert(info.fileName(), content);
    }
    return tree;
}

} // namespace

class TestOutsideFolder : public QObject
{
    Q_OBJECT

private slots:
    void foreignEntryIsLeftAlone_data();
    void foreignEntryIsLeftAlone();
    void windowsPathCharactersStayInTheFolder();
    void noViewOpensAForeignEntry_data();
    void noViewOpensAForeignEntry();
    void nameLeadingOutsideFindsNoFile_data();
    void nameLeadingOutsideFindsNoFile();
};

void TestOutsideFolder::foreignEntryIsLeftAlone_data()
{
    QTest::addColumn<QString>("entry");

    QTest::newRow("link to a file outside") << "link to outside/passwd";
    QTest::newRow("link to a folder outside") << "link to outside";
    QTest::newRow("dangling link to a path outside") << "link to outside/new";
    QTest::newRow("link to another person's file") << "link to Max Muster.txt";
    QTest::newRow("character device") << "device";
}

void TestOutsideFolder::foreignEntryIsLeftAlone()
{
    QFETCH(QString, entry);

    StationFolder folder;
    const QString outside = folder.home() + "/outside";
    QDir().mkdir(outside);
    QFile passwd(outside + "/passwd");
    QVERIFY(passwd.open(QIODevice::WriteOnly));
    passwd.write(kOutsideBytes);
    passwd.close();
    folder.write("Max Muster.txt", "Max Muster  männlich 40Jahre\r\n\r\n  d    80kg    1800mm     BMI: 24\r\n");

    const QString path = folder.file("Erika Beispiel.txt");
    if (entry == "device") {
        // Like /dev/null; creating device nodes needs root.
        if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("creating a device node needs root");
    } else {
        const QString target = entry.mid(QStringLiteral("link to ").size());
        QVERIFY(QFile::link(target.startsWith("outside") ? folder.home() + '/' + target : target, path));
    }
    const auto before = treeOf(folder.home());

    WindowUnderTest w;
    w.enter("Erika", "Beispiel", "35", true, "1650", "60", "12.03.2002");
    w.press("Command2");

    QCOMPARE(MessageBox::history(), QStringList{folder.storeFailure("Erika Beispiel.txt", "keine gewöhnliche Datei")});
    QCOMPARE(treeOf(folder.home()), before);
    QVERIFY(!QFileInfo::exists(outside + "/new"));
}

void TestOutsideFolder::windowsPathCharactersStayInTheFolder()
{
    // On this system a backslash or colon is part of a name, not a separator.
    StationFolder folder;
    WindowUnderTest w;
    w.enter("C:\\Windows\\..\\", "..", "35", true, "1650", "60", "12.03.2002");
    w.press("Command2");

    QCOMPARE(treeOf(folder.home()).keys(),
             QStringList({"Eigene Dateien", "Eigene Dateien/C:\\Windows\\..\\ ...txt"}));
    QCOMPARE(folder.read("C:\\Windows\\..\\ ...txt").left(30), QByteArray("C:\\Windows\\..\\ ..  weiblich 35"));
}

void TestOutsideFolder::noViewOpensAForeignEntry_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("button"); // Command2 meets the entry at an assessment file's path

    for (const char *kind : {"link to a file outside", "folder", "FIFO", "device"}) {
        QTest::addRow("%s, chart", kind) << kind << "Command1";
        QTest::addRow("%s, report", kind) << kind << "Command3";
        QTest::addRow("%s, table", kind) << kind << "Command5";
        QTest::addRow("%s, assessment of a take-over", kind) << kind << "Command2";
    }
}

void TestOutsideFolder::noViewOpensAForeignEntry()
{
    QFETCH(QString, kind);
    QFETCH(QString, button);

    StationFolder folder;
    folder.writeAssessmentFiles();
    const QString outsideFile = folder.home() + "/outside.txt";
    writeFile(outsideFile, kSecretHistory);
    const bool takeOver = button == "Command2";
    const QString path = folder.file(takeOver ? "bmi2.txt" : "Erika Beispiel.txt");
    QFile::remove(path);
    if (!plant(kind, path, outsideFile))
        QSKIP("creating a device node needs root");
    auto before = treeOf(folder.home());
    OpenWatch watch;
    QVERIFY(watch.watch(path) && watch.watch(outsideFile));

    WindowUnderTest w;
    w.list()->addItem("earlier entry");
    w.enter("Erika", "Beispiel", "41", true, "1650", "60", "12.03.2002");
    w.form().drawingSurface()->segment(4000, 200, 11000, 4000);
    const QImage drawing = w.form().drawingSurface()->image();
    w.press(button.toLatin1().constData()); // a FIFO without a writer must not hang the window

    QCOMPARE(watch.opened(), QStringList());
    QVERIFY(w.printed.operations.isEmpty());
    if (takeOver) {
        // The record is stored; the list keeps the text of the files before the entry.
        QCOMPARE(MessageBox::history(), QStringList{"Bewertungsdatei fehlt: " + path});
        QCOMPARE(w.list()->items(), StationFolder::assessmentLines(1));
        const QByteArray stored = "Erika Beispiel  weiblich 41Jahre\r\n\r\n  12.03.2002    60kg    1650mm     BMI: 22\r\n";
        QCOMPARE(folder.read("Erika Beispiel.txt"), stored);
        before.insert("Eigene Dateien/Erika Beispiel.txt", stored);
    } else {
        QCOMPARE(MessageBox::history(),
                 QStringList{"Die Datei " + path + " kann nicht gelesen werden: keine gewöhnliche Datei."});
        QCOMPARE(w.list()->items(), QStringList{"earlier entry"});
        QCOMPARE(w.field("Text5")->text(), QString("41"));
        QCOMPARE(w.field("Text1")->text(), QString("60"));
        QCOMPARE(w.form().drawingSurface()->image(), drawing);
    }
    QCOMPARE(treeOf(folder.home()), before);
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

    // A history waits where the name would lead, and a PDF there would be
    // written beside it.
    StationFolder folder;
    const QString planted = QDir::cleanPath(folder.file(first + " Beispiel.txt"));
    writeFile(planted, kSecretHistory);
    const auto before = treeOf(folder.home());
    OpenWatch watch;
    QVERIFY(watch.watch(planted));

    std::unique_ptr<WindowUnderTest> w;
    if (pdfFallback)
        w = std::make_unique<WindowUnderTest>(
            [](const Printer::Job &job) { return SystemPrinter::toPdfFile(job.fallbackPdfPath, job.documentName); });
    else
        w = std::make_unique<WindowUnderTest>();
    w->enter(first, "Beispiel", "41", true, "1650", "60");
    w->press(button.toLatin1().constData());

    QCOMPARE(watch.opened(), QStringList());
    QVERIFY(!MessageBox::history().isEmpty());
    QCOMPARE(MessageBox::history().first(), QString("Kein Datensatz vorhanden ! !"));
    QCOMPARE(w->field("Text5")->text(), QString("41"));
    QVERIFY(!anyTextContains(w->printed.operations, "Geheim"));
    for (const Printer::Job &job : std::as_const(w->printed.jobs))
        QCOMPARE(job.fallbackPdfPath, QString());
    if (pdfFallback)
        QCOMPARE(MessageBox::history().last(), QString("Drucken nicht möglich: der Name ergibt keinen zulässigen Dateinamen"));
    QCOMPARE(treeOf(folder.home()), before);
}

QTEST_MAIN(TestOutsideFolder)
#include "tst_outsidefolder.moc"
