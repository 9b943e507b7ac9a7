#include "platform/TextLines.h"

#include "platform/TextFile.h"

#include <cstring>

TextLines::TextLines(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    const char *const begin = m_bytes.constData();
    const char *const end = begin + m_bytes.size();
    const char *p = begin;
    while (p < end) {
        m_starts.append(p - begin);
        const void *newline = std::memchr(p, '\n', size_t(end - p));
        if (!newline)
            break;
        p = static_cast<const char *>(newline) + 1;
    }
}

QString TextLines::at(qsizetype index) const
{
    return start(index, m_bytes.size());
}

QString TextLines::start(qsizetype index, qsizetype maxLength) const
{
    if (index < 0 || index >= count())
        return {};
    const qsizetype from = m_starts[index];
    qsizetype stop = index + 1 < count() ? m_starts[index + 1] - 1 : m_bytes.size();
    if (stop > from && m_bytes.at(stop - 1) == '\n')
        --stop; // the last line's own line end
    if (stop > from && m_bytes.at(stop - 1) == '\r')
        --stop;
    // One byte is one character in Windows-1252.
    const qsizetype length = qMin(stop - from, qMax<qsizetype>(maxLength, 0));
    return TextFile::decode(QByteArrayView(m_bytes).sliced(from, length));
}

QStringList TextLines::toStringList() const
{
    QStringList lines;
    lines.reserve(count());
    for (qsizetype i = 0; i < count(); ++i)
        lines.append(at(i));
    return lines;
}
