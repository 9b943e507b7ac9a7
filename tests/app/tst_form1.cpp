#include "platform/DrawingSurface.h"
#include "platform/MessageBox.h"
#include "records/StationLocale.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void startUpState();
    void layout_data();
    void layout();
    void tabOrderPutsButtonsBeforeWeightAndHeight();
    void accessKeys_data();
    void accessKeys();
    void maximumLengths_data();
    void maximumLengths();
    void optionButtonsExcludeEachOther();
    void takeOverWritesTheWorkedExample();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void failingWriteNamesFileAndReason();
};

void TestForm1::startUpState()
{
    StationFolder folder;
    WindowUnderTest w;
    QCOMPARE(w.form().windowTitle(), QString("BMI - Pondra"));
    QCOMPARE(w.form().size(), QSize(799, 573));
    QVERIFY(w.option("Option1")->isChecked());
    QVERIFY(!w.option("Option2")->isChecked());
    QCOMPARE(w.field("Text3")->text(), StationLocale::shortDate(QDate::currentDate()));
    QCOMPARE(StationLocale::shortDate(QDate(2026, 12, 6)), QString("06.12.2026"));
    for (const char *name : {"text", "Text7", "Text5", "Text2", "Text1", "bmi", "Text10"})
        QVERIFY2(w.field(name)->text().isEmpty(), name);
    QCOMPARE(w.list()->count(), 0);
    QCOMPARE(QApplication::focusWidget(), w.list());
    QCOMPARE(w.field("Text10")->focusPolicy(), Qt::NoFocus);
    QCOMPARE(w.field("Text5")->accessibleName(), QString("Alter"));
    QCOMPARE(w.option("Option2")->accessibleName(), QString("weiblich"));
}

void TestForm1::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("Label15 keeps its wording") << "Label15" << "Vom Rechner ünernommene und errechnete Werte" << QRect(8, 272, 177, 33);
    QTest::newRow("Command5 has two blanks") << "Command5" << "&Tabelle  auslesen" << QRect(8, 448, 193, 25);
    QTest::newRow("Command4 tall") << "Command4" << "&EXIT" << QRect(728, 360, 65, 193);
    QTest::newRow("Label9 leading blank") << "Label9" << " mm" << QRect(160, 200, 25, 17);
    QTest::newRow("List1") << "List1" << "" << QRect(272, 384, 425, 147);
    QTest::newRow("Text7 taller") << "Text7" << "" << QRect(80, 80, 81, 21);
    QTest::newRow("Option2") << "Option2" << "Option2" << QRect(112, 168, 17, 13);
}

void TestForm1::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, pixels);

    StationFolder folder;
    WindowUnderTest w;
    auto *widget = w.form().findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), pixels);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), caption);
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        QCOMPARE(button->text(), caption);

    // Enlarging the window moves nothing.
    w.form().resize(1200, 900);
    QCOMPARE(widget->geometry(), pixels);
}

void TestForm1::tabOrderPutsButtonsBeforeWeightAndHeight()
{
    StationFolder folder;
    WindowUnderTest w;
    const QStringList expected{"text", "Text7", "Text5", "Option1", "Command2", "Command5", "Command1",
                               "Command3", "Command4", "Text1", "Text2", "Text3", "bmi", "List1"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);

    // The option group is one stop, on the selected button.
    w.option("Option2")->setChecked(true);
    w.field("Text5")->setFocus();
    QTest::keyClick(w.field("Text5"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.option("Option2"));
    QTest::keyClick(w.option("Option2"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.button("Command2"));
}

void TestForm1::accessKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target");

    QTest::newRow("Alt+V") << int(Qt::Key_V) << "text";
    QTest::newRow("Alt+N") << int(Qt::Key_N) << "Text7";
    QTest::newRow("Alt+A") << int(Qt::Key_A) << "Text5";
    QTest::newRow("Alt+D") << int(Qt::Key_D) << "Command2";
    QTest::newRow("Alt+T") << int(Qt::Key_T) << "Command5";
    QTest::newRow("Alt+G") << int(Qt::Key_G) << "Command1";
    QTest::newRow("Alt+R") << int(Qt::Key_R) << "Command3";
    QTest::newRow("Alt+E") << int(Qt::Key_E) << "Command4";
}

void TestForm1::accessKeys()
{
    QFETCH(int, key);
    QFETCH(QString, target);

    StationFolder folder;
    WindowUnderTest w;
    MessageBox::setNextAnswer(MessageBox::Cancel); // Alt+E asks first
    auto *button = w.form().findChild<QPushButton *>(target);
    std::optional<QSignalSpy> clicks;
    if (button)
        clicks.emplace(button, &QPushButton::clicked);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::AltModifier);
    if (button)
        QTRY_COMPARE(clicks->count(), 1); // a shortcut clicks after a short animation
    else
        QCOMPARE(QApplication::focusWidget()->objectName(), target);
}

void TestForm1::maximumLengths_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kept");

    QTest::newRow("age 3") << "Text5" << "123";
    QTest::newRow("height 4") << "Text2" << "1234";
    QTest::newRow("weight 5") << "Text1" << "12345";
    QTest::newRow("first name any") << "text" << "1234567890";
    QTest::newRow("date any") << "Text3" << "1234567890";
}

void TestForm1::maximumLengths()
{
    QFETCH(QString, name);
    QFETCH(QString, kept);

    StationFolder folder;
    WindowUnderTest w;
    QLineEdit *edit = w.field(name.toLatin1().constData());
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, "1234567890");
    QCOMPARE(edit->text(), kept);
}

void TestForm1::optionButtonsExcludeEachOther()
{
    StationFolder folder;
    WindowUnderTest w;
    QTest::mouseClick(w.option("Option2"), Qt::LeftButton);
    QVERIFY(w.option("Option2")->isChecked());
    QVERIFY(!w.option("Option1")->isChecked());
    QTest::mouseClick(w.option("Option2"), Qt::LeftButton); // a click does not clear it
    QVERIFY(w.option("Option2")->isChecked());
    QTest::mouseClick(w.option("Option1"), Qt::LeftButton);
    QVERIFY(w.option("Option1")->isChecked());
    QVERIFY(!w.option("Option2")->isChecked());
}

void TestForm1::takeOverWritesTheWorkedExample()
{
    StationFolder folder;
    folder.writeAssessmentFiles();
    WindowUnderTest w;
    w.enter("Erika", "Beispiel", "35", true, "1650", "60", "05.02.2002");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    QTRY_COMPARE(w.field("bmi")->text(), QString("22"));
    QCOMPARE(MessageBox::history(), QStringList());
    QCOMPARE(w.list()->items(), StationFolder::assessmentLines(2)); // 22 - 2 + 1

    w.enter("Erika", "Beispiel", "35", true, "1650", "58", "12.03.2002");
    w.press("Command2");
    QCOMPARE(w.field("bmi")->text(), QString("21"));
    QCOMPARE(folder.read("Erika Beispiel.txt"), QByteArray("Erika Beispiel  weiblich 35Jahre\r\n"
                                                           "\r\n"
                                                           "  05.02.2002    60kg    1650mm     BMI: 22\r\n"
                                                           "  12.03.2002    58kg    1650mm     BMI: 21\r\n"));
    // The fields keep what was typed.
    QCOMPARE(w.field("Text1")->text(), QString("58"));
    QCOMPARE(w.field("Text5")->text(), QString("35"));
}

void TestForm1::refusalsChangeNothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("age");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("weight");

    QTest::newRow("empty first name") << "" << "Beispiel" << "35" << "1650" << "60";
    QTest::newRow("empty last name") << "Erika" << "" << "35" << "1650" << "60";
    QTest::newRow("empty age") << "Erika" << "Beispiel" << "" << "1650" << "60";
    QTest::newRow("age not a number") << "Erika" << "Beispiel" << "x" << "1650" << "60";
    QTest::newRow("height empty") << "Erika" << "Beispiel" << "35" << "" << "60";
    QTest::newRow("height zero") << "Erika" << "Beispiel" << "35" << "0" << "60";
    QTest::newRow("weight nan") << "Erika" << "Beispiel" << "35" << "1650" << "nan";
    QTest::newRow("weight inf") << "Erika" << "Beispiel" << "35" << "1650" << "inf";
    QTest::newRow("path separator") << "../x" << "Beispiel" << "35" << "1650" << "60";
    QTest::newRow("not in the code page") << "Erika" << "Beispiel\u0142" << "35" << "1650" << "60";
    QTest::newRow("control character") << "Erika\u0001" << "Beispiel" << "35" << "1650" << "60";
}

void TestForm1::refusalsChangeNothing()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, age);
    QFETCH(QString, height);
    QFETCH(QString, weight);

    StationFolder folder;
    folder.write("Erika Beispiel.txt", "Erika Beispiel  weiblich 35Jahre\r\n\r\n  d    60kg    1650mm     BMI: 22\r\n");
    const auto before = folder.snapshot();

    WindowUnderTest w;
    w.field("bmi")->setText("earlier");
    w.list()->addItem("earlier entry");
    w.enter(first, last, age, true, height, weight);
    w.press("Command2");

    QCOMPARE(MessageBox::history(), QStringList{"Daten nicht übernommen! Bitte Eingaben überprüfen!"});
    QCOMPARE(folder.snapshot(), before);
    QCOMPARE(w.field("bmi")->text(), QString("earlier"));
    QCOMPARE(w.list()->items(), QStringList{"earlier entry"});
}

void TestForm1::failingWriteNamesFileAndReason()
{
    StationFolder folder(false);
    WindowUnderTest w;
    w.enter("Erika", "Beispiel", "35", true, "1650", "60");
    w.press("Command2");
    QCOMPARE(MessageBox::history().size(), 1);
    QVERIFY(MessageBox::history().first().contains(folder.file("Erika Beispiel.txt")));
    QVERIFY(MessageBox::history().first().contains("nicht vorhanden"));
    QVERIFY(!QFileInfo::exists(folder.dataPath()));
    // The window goes on working.
    QVERIFY(w.form().isVisible());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
