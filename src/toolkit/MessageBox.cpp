#include "toolkit/MessageBox.h"

#include <QMessageBox>
#include <QRegularExpression>

namespace {

MessageBox::Answerer answerer;

// A word wider than the box, such as a path with a long name in it, would
// run past its right edge: a word of more than 30 characters may wrap after
// any of them (at a zero-width space).
QString wrappable(const QString &text)
{
    static const QRegularExpression longWord(QStringLiteral("\\S{31,}"));
    QString wrapped;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &word : longWord.globalMatch(text)) {
        wrapped += text.sliced(done, word.capturedStart() - done);
        for (const QChar c : word.capturedView())
            wrapped += c.isHighSurrogate() ? QString(c) : QString(c) + QChar(0x200B);
        done = word.capturedEnd();
    }
    return wrapped + text.sliced(done);
}

MessageBox::Answer ask(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons)
{
    if (answerer)
        return answerer(text);
    QMessageBox box(QMessageBox::NoIcon, parent->window()->windowTitle(), wrappable(text), buttons, parent);
    box.setTextFormat(Qt::PlainText); // a name such as "<b>Max" is shown as typed
    box.setDefaultButton(QMessageBox::Ok);
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
