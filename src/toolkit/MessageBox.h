#pragma once

#include <QString>

#include <functional>

class QWidget;

// The station's modal message box: no icon, the window's title in the
// caption, OK as the default button, Escape counting as Cancel.
class MessageBox
{
public:
    enum Answer { Ok, Cancel };
    using Answerer = std::function<Answer(const QString &text)>;

    static Answer information(QWidget *parent, const QString &text);
    static Answer question(QWidget *parent, const QString &text);

    // While set, boxes are not shown: the answerer gets each text and answers
    // in place of a person (tests; a box must never wait for one there).
    static void answerWith(Answerer answerer);
};
