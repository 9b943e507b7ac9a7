#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The station's modal message box: no icon, the program's title in the
// caption, OK as the default button, Escape counting as Cancel.
// Tests queue the next answers so that no box ever waits for a person.
class MessageBox
{
public:
    enum Answer { Ok, Cancel };

    static const QString &title();

    static Answer information(QWidget *parent, const QString &text);
    static Answer question(QWidget *parent, const QString &text);

    // The next box is not shown and returns this answer instead.
    static void setNextAnswer(Answer answer);
    // While on, boxes without a queued answer are not shown either and return Ok.
    static void setNeverShow(bool on);
    // Every text asked to be shown, in order, whether shown or answered.
    static QStringList history();
    static void clearHistory();

private:
    static Answer ask(QWidget *parent, const QString &text, bool withCancel);
};
