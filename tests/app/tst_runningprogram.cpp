// The running program and the stored data: whatever bytes a person file holds,
// every button treats them by the usual rules, leaves them as they were (a
// take-over only appends its record) and the window takes the next press.
#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "records/PersonFile.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QTest>

namespace {

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
    void hostilePersonFileThroughEveryButton_data();
    void hostilePersonFileThroughEveryButton();
};

void TestRunningProgram::hostilePersonFileThroughEveryButton_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("button");

    QByteArray binary;
    for (int b = 0; b < 256; ++b)
        binary += char(b);
    binary += QByteArray(1000, '\0') + QByteArray("\r\n\r\n  d    60kg    1650mm     BMI: \0\0\r\n", 39);

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
        {"50 MB single line", QByteArray(50 * 1024 * 1024, 'x')},
    };
    for (const char *button : {"Command1", "Command2", "Command3", "Command5"}) {
        for (const auto &[name, bytes] : files)
            QTest::addRow("%s, %s", name, button) << bytes << button;
    }
}

void TestRunningProgram::hostilePersonFileThroughEveryButton()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, button);

    StationFolder folder;
    folder.writeAssessmentFiles();
    folder.write("Erika Beispiel.txt", bytes);
    const QStringList lines = TextLines(bytes).toStringList(); // line rules proven in tst_textfile
    const QByteArray record = "  12.03.2002    60kg    1650mm     BMI: 22\r\n";
    const QByteArray after = button == "Command2" ? bytes + record : bytes;

    WindowUnderTest w;
    w.enter("Erika", "Beispiel", "41", false, "1650", "60", "12.03.2002");
    w.press(button.toLatin1().constData());
    QVERIFY(!w.form().grab().isNull()); // the window paints what it now shows

    QVERIFY(folder.read("Erika Beispiel.txt") == after); // QCOMPARE would print 50 MB
    QCOMPARE(folder.snapshot().size(), 7);
    QCOMPARE(MessageBox::history(), QStringList());
    if (button == "Command2") {
        QCOMPARE(w.field("bmi")->text(), QString("22"));
    } else if (button == "Command5") {
        QCOMPARE(w.list()->count(), lines.size());
        QVERIFY(w.list()->items() == lines);
    } else {
        // Chart and report put back the stored age as the reading rule gives it.
        QCOMPARE(w.field("Text5")->text(), PersonFile::storedAge(lines.value(0)));
        QCOMPARE(w.field("Text1")->text(), QString());
    }
    if (button == "Command1") // the upper box's top edge lies at y 135 whatever the range
        QCOMPARE(w.form().drawingSurface()->image().pixel(400, 9), qRgb(255, 3, 5));
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
    QCOMPARE(folder.read("Max Muster.txt"), "Max Muster  m\xE4nnlich 35Jahre\r\n\r\n" + record);
    QVERIFY(folder.read("Erika Beispiel.txt") == after);
}

QTEST_MAIN(TestRunningProgram)
#include "tst_runningprogram.moc"
