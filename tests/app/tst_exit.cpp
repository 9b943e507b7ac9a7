#include "platform/MessageBox.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class TestExit : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void questionBoxLooksAsIntended();
    void powerOffCannotStart_data();
    void powerOffCannotStart();
};

void TestExit::answers_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("starts");

    QTest::newRow("Enter chooses OK") << int(Qt::Key_Return) << 1;
    QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << 0;
}

void TestExit::answers()
{
    QFETCH(int, key);
    QFETCH(int, starts);

    StationFolder folder;
    WindowUnderTest w;
    MessageBox::setNeverShow(false);
    w.field("text")->setText("Erika");
    w.list()->addItem("entry");

    WindowUnderTest::answerNextBoxWithKey(Qt::Key(key));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);

    QTRY_COMPARE(MessageBox::history(), QStringList{"Software beenden?"});
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(w.starter.calls.size(), starts);
    if (starts) {
        QVERIFY(w.starter.calls[0].program.endsWith("/systemctl"));
        QCOMPARE(w.starter.calls[0].arguments, QStringList{"poweroff"});
        QCOMPARE(w.starter.calls[0].style, CommandStarter::WindowStyle::MinimizedWithFocus);
    }
    // The window stays open with everything in it.
    QVERIFY(w.form().isVisible());
    QCOMPARE(w.field("text")->text(), QString("Erika"));
    QCOMPARE(w.list()->count(), 1);
}

void TestExit::questionBoxLooksAsIntended()
{
    StationFolder folder;
    WindowUnderTest w;
    MessageBox::setNeverShow(false);

    QString title, okText, cancelText;
    QMessageBox::Icon icon = QMessageBox::Warning;
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        title = box->windowTitle();
        icon = box->icon();
        okText = box->button(QMessageBox::Ok)->text();
        cancelText = box->button(QMessageBox::Cancel)->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    poll->start(10);
    w.press("Command4");

    QCOMPARE(title, QString("BMI - Pondra"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(okText, QString("OK"));
    QCOMPARE(cancelText, QString("Abbrechen"));
    QVERIFY(w.starter.calls.isEmpty());
}

void TestExit::powerOffCannotStart_data()
{
    QTest::addColumn<bool>("onPath");
    QTest::newRow("starting fails") << true;
    QTest::newRow("no systemctl on PATH") << false;
}

void TestExit::powerOffCannotStart()
{
    QFETCH(bool, onPath);

    StationFolder folder;
    const QByteArray oldPath = qgetenv("PATH");
    if (onPath) {
        // A stand-in on PATH, so the lookup succeeds; the fake never runs it.
        QDir(folder.home()).mkdir("bin");
        QFile stub(folder.home() + "/bin/systemctl");
        QVERIFY(stub.open(QIODevice::WriteOnly));
        stub.write("#!/bin/sh\nexit 0\n");
        stub.close();
        stub.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", (folder.home() + "/bin").toLocal8Bit());
    } else {
        qputenv("PATH", folder.home().toLocal8Bit());
    }

    WindowUnderTest w;
    w.starter.succeed = false;
    MessageBox::setNextAnswer(MessageBox::Ok);
    w.press("Command4");
    qputenv("PATH", oldPath);

    QCOMPARE(w.starter.calls.size(), onPath ? 1 : 0);
    QCOMPARE(MessageBox::history(),
             (QStringList{"Software beenden?", "Der Rechner konnte nicht heruntergefahren werden."}));
    QVERIFY(w.form().isVisible());
}

QTEST_MAIN(TestExit)
#include "tst_exit.moc"
