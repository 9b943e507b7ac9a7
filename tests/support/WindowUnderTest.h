#pragma once

#include "app/Form1.h"
#include "platform/ListBox.h"
#include "support/FakeCommandStarter.h"
#include "support/RecordingPrinter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

// The real main window, shown offscreen and active, with a recording command
// starter, a recording printer unless the test names another, and message
// boxes that answer without being shown.
class WindowUnderTest
{
public:
    explicit WindowUnderTest(const Printer::Factory &openPrinter = {});
    ~WindowUnderTest();

    Form1 &form() { return *m_form; }
    FakeCommandStarter starter;
    RecordingPrinter::Log printed;

    QLineEdit *field(const char *name) const;
    QRadioButton *option(const char *name) const;
    QPushButton *button(const char *name) const;
    ListBox *list() const;

    // Fills the entry fields the way a person would leave them.
    void enter(const QString &first, const QString &last, const QString &age, bool female,
               const QString &height, const QString &weight, const QString &date = QString());
    void press(const char *buttonName);

    // Shows a message box for real and answers it with a key once it is up.
    static void answerNextBoxWithKey(Qt::Key key);

private:
    std::unique_ptr<Form1> m_form;
};
