#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The lines of a Windows-1252 text kept as its bytes plus where each line
// starts; a line is decoded only when asked for. A million-line file costs
// little more than its own size. Line rules as in TextFileReader: LF ends a
// line, a CR before it is dropped, a final line end adds no empty line.
class TextLines
{
public:
    TextLines() = default;
    explicit TextLines(QByteArray bytes);

    qsizetype count() const { return m_starts.size(); }
    bool isEmpty() const { return m_starts.isEmpty(); }
    QString at(qsizetype index) const;
    // At most the first maxLength characters of the line; the rest of a
    // long line is not decoded.
    QString start(qsizetype index, qsizetype maxLength) const;
    QStringList toStringList() const;

private:
    QByteArray m_bytes;
    QList<qsizetype> m_starts;
};
