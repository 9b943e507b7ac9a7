#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The lines of a text kept as its bytes plus where each line starts; a line
// is decoded only when asked for, so a million-line file costs little more
// than its own size. LF ends a line and a CR before it is dropped; a final
// line end adds no empty line, a last line without one is a line all the same.
class TextLines
{
public:
    TextLines() = default;
    // Windows-1252, as the station writes.
    explicit TextLines(QByteArray bytes);
    // A text an operator saved: UTF-8 when it begins with a byte-order mark,
    // or when it is valid UTF-8 holding a multi-byte sequence; else Windows-1252.
    static TextLines operatorText(QByteArray bytes);

    qsizetype count() const { return m_starts.size(); }
    // In bytes, line end excluded.
    qsizetype length(qsizetype index) const;
    QString at(qsizetype index) const { return part(index, 0, length(index)); }
    // The characters that begin within maxLength bytes of the line from the
    // byte at `from` on, decoded; consecutive parts make up the whole line.
    QString part(qsizetype index, qsizetype from, qsizetype maxLength) const;

private:
    QByteArray m_bytes;
    QList<qsizetype> m_starts;
    bool m_utf8 = false;
};
