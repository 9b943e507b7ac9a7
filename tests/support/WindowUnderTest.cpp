#include "support/WindowUnderTest.h"

#include "app/Startup.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

WindowUnderTest::WindowUnderTest(const Printer::Factory &openPrinter)
{
    static bool prepared = false;
    if (!prepared) {
        Startup::prepare(*qobject_cast<QApplication *>(QCoreApplication::instance()));
        prepared = true;
    }
    MessageBox::clearHistory();
    MessageBox::setNeverShow(true);
    m_form = std::make_unique<Form1>(Form1::Services{&starter, openPrinter ? openPrinter : printed.factory()});
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    if (!QTest::qWaitForWindowActive(m_form.get()))
        qWarning("main window did not become active");
}

WindowUnderTest::~WindowUnderTest()
{
    MessageBox::setNeverShow(false);
    MessageBox::clearHistory();
}

QLineEdit *WindowUnderTest::field(const char *name) const
{
    return m_form->findChild<QLineEdit *>(QLatin1String(name));
}

QRadioButton *WindowUnderTest::option(const char *name) const
{
    return m_form->findChild<QRadioButton *>(QLatin1String(name));
}

QPushButton *WindowUnderTest::button(const char *name) const
{
    return m_form->findChild<QPushButton *>(QLatin1String(name));
}

ListBox *WindowUnderTest::list() const
{
    return m_form->findChild<ListBox *>(QStringLiteral("List1"));
}

void WindowUnderTest::enter(const QString &first, const QString &last, const QString &age, bool female,
                            const QString &height, const QString &weight, const QString &date)
{
    field("text")->setText(first);
    field("Text7")->setText(last);
    field("Text5")->setText(age);
    option(female ? "Option2" : "Option1")->setChecked(true);
    field("Text2")->setText(height);
    field("Text1")->setText(weight);
    if (!date.isNull())
        field("Text3")->setText(date);
}

void WindowUnderTest::press(const char *buttonName)
{
    QTest::mouseClick(button(buttonName), Qt::LeftButton);
}

void WindowUnderTest::answerNextBoxWithKey(Qt::Key key)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, key] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            QTest::keyClick(box, key);
        }
    });
    poll->start(10);
}
