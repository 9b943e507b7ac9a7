#include "platform/MessageBox.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QTest>
#include <QTimer>

// "&Tabelle  auslesen": the person file listed in List1 exactly as stored.
class TestHistoryTable : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleTwice();
    void listsEveryLineAsStored_data();
    void listsEveryLineAsStored();
    void noFileEmptiesFieldsAndList();
    void emptyNameChangesNothing_data();
    void emptyNameChangesNothing();

private:
    static void fillFields(WindowUnderTest &w, const QString &first, const QString &last);
};

void TestHistoryTable::fillFields(WindowUnderTest &w, const QString &first, const QString &last)
{
    w.enter(first, last, "30", true, "1800", "75", "01.01.2020");
    w.field("bmi")->setText("23");
    w.list()->addItem("earlier entry");
}

void TestHistoryTable::workedExampleTwice()
{
    StationFolder folder;
    const QByteArray stored = "Erika Beispiel  weiblich 35Jahre\r\n"
                              "\r\n"
                              "  05.02.2002    60kg    1650mm     BMI: 22\r\n"
                              "  12.03.2002    58kg    1650mm     BMI: 21\r\n";
    folder.write("Erika Beispiel.txt", stored);
    WindowUnderTest w;
    fillFields(w, "Erika", "Beispiel");

    const QStringList expected{"Erika Beispiel  weiblich 35Jahre", "",
                               "  05.02.2002    60kg    1650mm     BMI: 22",
                               "  12.03.2002    58kg    1650mm     BMI: 21"};
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
    QTRY_COMPARE(w.list()->items(), expected);
    w.press("Command5");
    QCOMPARE(w.list()->items(), expected);

    QCOMPARE(MessageBox::history(), QStringList());
    for (const char *emptied : {"Text1", "Text2", "bmi"})
        QVERIFY2(w.field(emptied)->text().isEmpty(), emptied);
    QCOMPARE(w.field("Text5")->text(), QString("30"));
    QCOMPARE(w.field("Text3")->text(), QString("01.01.2020"));
    QVERIFY(w.option("Option2")->isChecked());
    QCOMPARE(folder.read("Erika Beispiel.txt"), stored);
}

void TestHistoryTable::listsEveryLineAsStored_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("last line without line end")
        << "Erika" << QByteArray("h\r\n\r\n  r1\r\n  r2") << QStringList{"h", "", "  r1", "  r2"};
    QTest::newRow("LF only") << "Erika" << QByteArray("h\n\n  r1\n") << QStringList{"h", "", "  r1"};
    QTest::newRow("Windows-1252, blanks at the end kept")
        << "Erika" << QByteArray("J\xFCrgen  m\xE4nnlich 35Jahre \r\n\r\n") << QStringList{"Jürgen  männlich 35Jahre ", ""};
    QTest::newRow("first name of one blank") << " " << QByteArray("x\r\n") << QStringList{"x"};
}

void TestHistoryTable::listsEveryLineAsStored()
{
    QFETCH(QString, first);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);

    StationFolder folder;
    folder.write(first + " Beispiel.txt", bytes);
    WindowUnderTest w;
    fillFields(w, first, "Beispiel");
    w.press("Command5");

    QCOMPARE(w.list()->items(), expected);
    QCOMPARE(MessageBox::history(), QStringList());
}

void TestHistoryTable::noFileEmptiesFieldsAndList()
{
    StationFolder folder;
    WindowUnderTest w;
    fillFields(w, "Erika", "Beispiel");

    // Look at the window while the message is up.
    MessageBox::setNeverShow(false);
    QStringList seen;
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        poll->stop();
        seen << w.field("Text1")->text() << w.field("Text2")->text() << w.field("bmi")->text()
             << QString::number(w.list()->count());
        QTest::keyClick(box, Qt::Key_Return);
    });
    poll->start(10);
    w.press("Command5");
    delete poll;

    QCOMPARE(MessageBox::history(), QStringList{"Kein Datensatz vorhanden ! !"});
    QCOMPARE(seen, (QStringList{"", "", "", "0"}));
    QCOMPARE(w.list()->count(), 0);
    QCOMPARE(folder.snapshot(), (QMap<QString, QByteArray>{}));
    QCOMPARE(w.field("Text5")->text(), QString("30"));
}

void TestHistoryTable::emptyNameChangesNothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");

    QTest::newRow("empty last name") << "Erika" << "";
    QTest::newRow("empty first name") << "" << "Beispiel";
}

void TestHistoryTable::emptyNameChangesNothing()
{
    QFETCH(QString, first);
    QFETCH(QString, last);

    StationFolder folder;
    folder.write("Erika .txt", "h\r\n");
    folder.write(" Beispiel.txt", "h\r\n");
    WindowUnderTest w;
    fillFields(w, first, last);
    w.press("Command5");

    QCOMPARE(MessageBox::history(), QStringList{"Kein Datensatz vorhanden ! !"});
    QCOMPARE(w.list()->items(), QStringList{"earlier entry"});
    QCOMPARE(w.field("Text1")->text(), QString("75"));
    QCOMPARE(w.field("Text2")->text(), QString("1800"));
    QCOMPARE(w.field("bmi")->text(), QString("23"));
}

QTEST_MAIN(TestHistoryTable)
#include "tst_historytable.moc"
