#include "toolkit/MessageBox.h"

#include <QMessageBox>

namespace {

MessageBox::Answerer answerer;

MessageBox::Answer ask(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons)
{
    if (answerer)
        return answerer(text);
    QMessageBox box(QMessageBox::NoIcon, parent->window()->windowTitle(), text, buttons, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(buttons == QMessageBox::Ok ? QMessageBox::Ok : QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? MessageBox::Ok : MessageBox::Cancel;
}

} // namespace

MessageBox::Answer MessageBox::information(QWidget *parent, const QString &text)
{
    return ask(parent, text, QMessageBox::Ok);
}

MessageBox::Answer MessageBox::question(QWidget *parent, const QString &text)
{
    return ask(parent, text, QMessageBox::Ok | QMessageBox::Cancel);
}

void MessageBox::answerWith(Answerer answerer)
{
    ::answerer = std::move(answerer);
}
