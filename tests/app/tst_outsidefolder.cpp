// What protects the system outside the data folder: an entry at a person
// file's path that is not a regular file (a link could point at any file of
// the system, and the station may run as root) is neither read nor written
// nor replaced, and a name cannot lead out of the folder.
#include "platform/MessageBox.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

const QByteArray kOutsideBytes = "root:x:0:0:root:/root:/bin/bash\n";

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

QTEST_MAIN(TestOutsideFolder)
#include "tst_outsidefolder.moc"
