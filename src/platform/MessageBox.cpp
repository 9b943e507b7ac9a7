#include "platform/MessageBox.h"

#include <QMessageBox>
#include <QQueue>

namespace {
QQueue<MessageBox::Answer> nextAnswers;
bool neverShow = false;
QStringList shownTexts;
} // namespace

const QString &MessageBox::title()
{
    static const QString text = QStringLiteral("BMI - Pondra");
    return text;
}

MessageBox::Answer MessageBox::information(QWidget *parent, const QString &text)
{
    return ask(parent, text, false);
}

MessageBox::Answer MessageBox::question(QWidget *parent, const QString &text)
{
    return ask(parent, text, true);
}

void MessageBox::setNextAnswer(Answer answer)
{
    nextAnswers.enqueue(answer);
}

void MessageBox::setNeverShow(bool on)
{
    neverShow = on;
}

QStringList MessageBox::history()
{
    return shownTexts;
}

void MessageBox::clearHistory()
{
    shownTexts.clear();
    nextAnswers.clear();
}

MessageBox::Answer MessageBox::ask(QWidget *parent, const QString &text, bool withCancel)
{
    shownTexts.append(text);
    if (!nextAnswers.isEmpty())
        return nextAnswers.dequeue();
    if (neverShow)
        return Ok;

    QMessageBox box(QMessageBox::NoIcon, title(), text,
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? Ok : Cancel;
}
