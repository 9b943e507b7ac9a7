// What protects the running program: an entry that would block or confuse a
// write is refused at once with a message, and whatever bytes a person file
// holds, every view shows them by the usual rules, leaves them as they are
// and the window takes the next press. (The reader's line rules for hostile
// bytes are proven in tests/platform/tst_textfile.)
#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "records/PersonFile.h"
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

// The lines a view should find in the bytes: LF ends a line, a CR before it
// is no part of it, a final line end adds no line.
QStringList linesOf(const QByteArray &bytes)
{
    QStringList lines = TextFile::decode(bytes).split(QLatin1Char('\n'));
    if (bytes.isEmpty() || bytes.endsWith('\n'))
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

// The texts of the printed lines, in the order printed.
QStringList printedTexts(const QStringList &operations)
{
    QStringList texts;
    for (const QString &operation : operations) {
        if (operation.startsWith(QLatin1String("text \"")))
            texts.append(operation.sliced(6, operation.lastIndexOf(QLatin1String("\" at (")) - 6));
    }
    return texts;
}

} // namespace

class TestRunningProgram : public QObject
{
    Q_OBJECT

private slots:
    void blockingEntryIsRefusedAndTheWindowGoesOn_data();
    void blockingEntryIsRefusedAndTheWindowGoesOn();
    void hostilePersonFileThroughEveryView_data();
    void hostilePersonFileThroughEveryView();
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

void TestRunningProgram::hostilePersonFileThroughEveryView_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("button");

    QByteArray binary;
    for (int b = 0; b < 256; ++b)
        binary += char(b);
    binary += QByteArray(1000, '\0') + "\r\n\r\n  d    60kg    1650mm     BMI: \0\0\r\n";

    const QList<std::pair<const char *, QByteArray>> files = {
        {"empty file", ""},
        {"one line", "Erika Beispiel  weiblich 35Jahre\r\n"},
        {"two lines", "Erika Beispiel  weiblich 35Jahre\r\n\r\n"},
        {"no line ends at all", "Erika Beispiel  weiblich 35Jahre  12.03.2002    60kg    1650mm     BMI: 22"},
        {"binary bytes and NULs", binary},
        {"bytes Windows-1252 leaves undefined",
         "\x81\x8D\x8F  weiblich \x90\x9DJahre\r\n\x9D\r\n  d    60kg    1650mm     BMI: \x8F\x90\r\n"},
        {"ages and record endings no numbers",
         "Erika Beispiel  weiblich x?Jahre\r\n\r\n  d BMI: ab\r\n  d BMI: 2\r\n  d BMI: 1e9\r\n  d BMI: -1\r\n  d BMI:\r\n"},
        {"header of one character", "E\r\n\r\n  d    60kg    1650mm     BMI: 22\r\n"},
        {"header of two characters", "Er\r\n\r\n  d    60kg    1650mm     BMI: 22\r\n"},
    };
    for (const char *button : {"Command1", "Command3", "Command5"}) {
        for (const auto &[name, bytes] : files)
            QTest::addRow("%s, %s", name, button) << bytes << button;
        // Large enough to be its own test of time: once per button.
        QTest::addRow("50 MB single line, %s", button) << QByteArray(50 * 1024 * 1024, 'x') << button;
    }
}

void TestRunningProgram::hostilePersonFileThroughEveryView()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, button);

    StationFolder folder;
    folder.write("Erika Beispiel.txt", bytes);
    const QStringList lines = linesOf(bytes);

    WindowUnderTest w;
    w.enter("Erika", "Beispiel", "41", false, "1650", "60", "12.03.2002");
    w.press(button.toLatin1().constData());
    // The window paints what it now shows.
    QVERIFY(!w.form().grab().isNull());

    QVERIFY(folder.read("Erika Beispiel.txt") == bytes); // QCOMPARE would print 50 MB
    QCOMPARE(MessageBox::history(), QStringList());
    if (button == "Command5") {
        QCOMPARE(w.list()->count(), lines.size());
        QVERIFY(w.list()->items() == lines);
    } else {
        // Chart and report put back the stored age as the reading rule gives it.
        QCOMPARE(w.field("Text5")->text(), PersonFile::storedAge(lines.value(0)));
        QCOMPARE(w.field("Text1")->text(), QString());
    }
    if (button == "Command1") {
        // The upper box's top edge lies at y 135 whatever the range.
        QCOMPARE(w.form().drawingSurface()->image().pixel(400, 9), qRgb(255, 3, 5));
    }
    if (button == "Command3") {
        // Every line of the file is printed as text, after the chart's spacing.
        const QString line2 = lines.value(1);
        const QStringList expected = QStringList{line2, line2, line2, line2, lines.value(0), line2} + lines.mid(2);
        const QStringList texts = printedTexts(w.printed.operations);
        QCOMPARE(texts.size(), expected.size());
        QVERIFY(texts == expected);
    }

    // The same window stores the next person's take-over.
    w.list()->clear();
    w.enter("Max", "Muster", "35", false, "1650", "60", "12.03.2002");
    w.press("Command2");
    QCOMPARE(folder.read("Max Muster.txt"),
             QByteArray("Max Muster  m\xE4nnlich 35Jahre\r\n\r\n  12.03.2002    60kg    1650mm     BMI: 22\r\n"));
    QVERIFY(folder.read("Erika Beispiel.txt") == bytes);
}

QTEST_MAIN(TestRunningProgram)
#include "tst_runningprogram.moc"
