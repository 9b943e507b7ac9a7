// What protects the running program: an entry that would block or confuse a
// write is refused at once with a message, and the window keeps what it
// shows and takes the next press. (The reader's way through hostile bytes is
// proven in tests/platform/tst_textfile.)
#include "platform/MessageBox.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kFirstVisit = "Erika Beispiel  weiblich 35Jahre\r\n"
                               "\r\n"
                               "  12.03.2002    60kg    1650mm     BMI: 22\r\n";

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace

class TestRunningProgram : public QObject
{
    Q_OBJECT

private slots:
    void blockingEntryIsRefusedAndTheWindowGoesOn_data();
    void blockingEntryIsRefusedAndTheWindowGoesOn();
};

void TestRunningProgram::blockingEntryIsRefusedAndTheWindowGoesOn_data()
{
    QTest::addColumn<QString>("entry");

    // Opening a FIFO waits for the other end: the window would hang for ever.
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("FIFO with a reader waiting") << "fifo with reader";
    QTest::newRow("folder") << "folder";
}

void TestRunningProgram::blockingEntryIsRefusedAndTheWindowGoesOn()
{
    QFETCH(QString, entry);

    StationFolder folder;
    const QString path = folder.file("Erika Beispiel.txt");
    int reader = -1;
    if (entry == "folder") {
        QVERIFY(QDir().mkdir(path));
        folder.write("Erika Beispiel.txt/inside", "kept\n");
    } else {
        QVERIFY(makeFifo(path));
        if (entry == "fifo with reader")
            reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    }
    const auto before = folder.snapshot();

    WindowUnderTest w;
    w.list()->addItem("earlier entry");
    w.enter("Erika", "Beispiel", "35", true, "1650", "60", "12.03.2002");
    w.press("Command2");

    QCOMPARE(MessageBox::history(), QStringList{folder.storeFailure("Erika Beispiel.txt", "keine gewöhnliche Datei")});
    QCOMPARE(folder.snapshot(), before);
    if (reader >= 0) {
        char byte;
        QCOMPARE(::read(reader, &byte, 1), ssize_t(0)); // nothing was sent down the FIFO
        ::close(reader);
    }
    QCOMPARE(w.field("bmi")->text(), QString("22"));
    QCOMPARE(w.list()->items(), QStringList{"earlier entry"});

    // Once the entry is gone, the same window stores the next press.
    QVERIFY(entry == "folder" ? QDir(path).removeRecursively() : QFile::remove(path));
    MessageBox::clearHistory();
    w.press("Command2");
    QCOMPARE(folder.read("Erika Beispiel.txt"), kFirstVisit);
}

QTEST_MAIN(TestRunningProgram)
#include "tst_runningprogram.moc"
