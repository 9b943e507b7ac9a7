#include "platform/TextFile.h"
#include "platform/TextFileReader.h"
#include "platform/TextLines.h"
#include "support/StationFolder.h"

#include <QTest>

#include <sys/stat.h>

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void lineLongerThanOneRead();
    void bulkReadMatchesLineByLine();
    void onlyRegularFilesOpen();
};

void TestTextFile::lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("CR LF") << QByteArray("a\r\n\r\n  b\r\n") << QStringList{"a", "", "  b"};
    QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("LF only") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
    QTest::newRow("lone CR stays inside") << QByteArray("a\rb\r\n") << QStringList{"a\rb"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("Windows-1252") << QByteArray("m\xE4nnlich \x80\r\n") << QStringList{"männlich €"};
    QTest::newRow("NUL inside a line") << QByteArray("a\0b\n", 4) << QStringList{QString("a") + QChar(0) + "b"};

    // Whatever lies in the folder, the reader neither hangs nor loses a byte.
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    QTest::newRow("every byte value") << everyByte
                                      << QStringList{TextFile::decode(everyByte.left(10)), TextFile::decode(everyByte.mid(11))};
    QTest::newRow("only NULs") << QByteArray(3000, '\0') << QStringList{QString(3000, QChar(0))};
    QTest::newRow("bytes Windows-1252 leaves undefined") << QByteArray("\x81\x8D\r\n\x8F\x90\x9D")
                                                         << QStringList{TextFile::decode("\x81\x8D"), TextFile::decode("\x8F\x90\x9D")};
    QTest::newRow("CR and LF in two reads") << QByteArray(64 * 1024 - 1, 'a') + "\r\nb"
                                            << QStringList{QString(64 * 1024 - 1, 'a'), "b"};
    QTest::newRow("50 MB single line") << QByteArray(50 * 1024 * 1024, 'x') << QStringList{QString(50 * 1024 * 1024, 'x')};
}

void TestTextFile::lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);

    StationFolder folder;
    folder.write("f.txt", bytes);
    TextFileReader reader;
    QVERIFY(reader.open(folder.file("f.txt")));
    QStringList read;
    while (!reader.atEnd())
        read << reader.readLine();
    QCOMPARE(read.size(), expected.size());
    QVERIFY(read == expected); // QCOMPARE would print all of a 50 MB line

    // The bulk read keeps the same line rules, also after a first readLine().
    QVERIFY(TextFileReader::readLines(folder.file("f.txt")) == std::optional<QStringList>(expected));
    QVERIFY(reader.open(folder.file("f.txt")));
    if (!expected.isEmpty()) {
        const QStringList first{reader.readLine()};
        QVERIFY(first + reader.readAllLines() == expected);
    }
    QVERIFY(reader.atEnd());
    QVERIFY(!reader.failed());

    // So do the compact lines a listed file is kept as.
    const TextLines compact(bytes);
    QCOMPARE(compact.count(), expected.size());
    QVERIFY(compact.toStringList() == expected);
    QCOMPARE(compact.at(expected.size()), QString());
    QCOMPARE(folder.read("f.txt"), bytes);
}

void TestTextFile::lineLongerThanOneRead()
{
    StationFolder folder;
    const QByteArray longLine(3 * 1024 * 1024 + 7, 'x'); // longer than any read or decode step
    folder.write("f.txt", "h\r\n" + longLine + "\r\nz");
    TextFileReader reader;
    QVERIFY(reader.open(folder.file("f.txt")));
    QCOMPARE(reader.readLine(), QString("h"));
    QCOMPARE(reader.readLine().size(), longLine.size());
    QCOMPARE(reader.readLine(), QString("z"));
    QVERIFY(reader.atEnd());

    QVERIFY(reader.open(folder.file("f.txt")));
    QCOMPARE(reader.readLine(), QString("h"));
    const QStringList rest = reader.readAllLines();
    QCOMPARE(rest.size(), 2);
    QCOMPARE(rest.at(0).size(), longLine.size());
    QCOMPARE(rest.at(1), QString("z"));
}

void TestTextFile::bulkReadMatchesLineByLine()
{
    // Lines of every length, mixed line ends and empty lines, several pieces
    // long: the bulk read must cut nowhere else than reading line by line.
    StationFolder folder;
    QByteArray bytes;
    QStringList expected;
    for (int i = 0; i < 60000; ++i) {
        const QByteArray line = QByteArray::number(i) + QByteArray(i % 97, '\xE4');
        bytes += line + (i % 3 ? "\r\n" : "\n");
        expected << QString::number(i) + QString(i % 97, QChar(0xE4));
    }
    bytes += "\r\r\n";
    expected << "\r";
    folder.write("f.txt", bytes);

    QCOMPARE(TextFileReader::readLines(folder.file("f.txt")), std::optional<QStringList>(expected));
}

void TestTextFile::onlyRegularFilesOpen()
{
    StationFolder folder;
    folder.write("real.txt", "x\r\n");
    QVERIFY(QFile::link(folder.file("real.txt"), folder.file("link.txt")));
    QVERIFY(::mkfifo(QFile::encodeName(folder.file("fifo.txt")).constData(), 0600) == 0);
    QDir(folder.dataPath()).mkdir("dir.txt");

    for (const char *name : {"link.txt", "fifo.txt", "dir.txt", "missing.txt"}) {
        TextFileReader reader;
        QVERIFY2(!reader.open(folder.file(name)), name);
        QVERIFY(!reader.errorReason().isEmpty());
        QVERIFY(reader.atEnd());
        QVERIFY(reader.failed());
        QString reason;
        QVERIFY2(!TextFileReader::readLines(folder.file(name), &reason), name);
        QCOMPARE(reason, reader.errorReason());
    }
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
