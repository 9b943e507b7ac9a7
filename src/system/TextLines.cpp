#include "system/TextLines.h"

#include "system/CodePage.h"

#include <QStringDecoder>

#include <cstring>

TextLines::TextLines(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    const char *const begin = m_bytes.constData();
    const char *const end = begin + m_bytes.size();
    for (const char *p = begin; p < end; ++p) {
        m_starts.append(p - begin);
        p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        if (!p)
            break;
    }
}

TextLines TextLines::operatorText(QByteArray bytes)
{
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    if (marked)
        bytes.remove(0, 3);
    // Stateless: a sequence left unfinished at the end is an error too.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    const bool multiByte = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    TextLines lines(std::move(bytes));
    lines.m_utf8 = marked || (multiByte && !utf8.hasError());
    return lines;
}

qsizetype TextLines::length(qsizetype index) const
{
    const qsizetype from = m_starts[index];
    qsizetype stop = index + 1 < count() ? m_starts[index + 1] - 1 : m_bytes.size();
    if (stop > from && m_bytes.at(stop - 1) == '\n')
        --stop; // the last line's own line end
    if (stop > from && m_bytes.at(stop - 1) == '\r')
        --stop;
    return stop - from;
}

QString TextLines::part(qsizetype index, qsizetype from, qsizetype maxLength) const
{
    const QByteArrayView line = QByteArrayView(m_bytes).sliced(m_starts[index], length(index));
    qsizetype begin = qMin(from, line.size());
    qsizetype end = qMin(begin + maxLength, line.size());
    if (m_utf8) { // a character belongs to the part its first byte lies in
        auto continuation = [&](qsizetype i) { return i < line.size() && (line[i] & 0xC0) == 0x80; };
        while (continuation(begin))
            ++begin;
        while (continuation(end))
            ++end;
    }
    const QByteArrayView bytes = line.sliced(begin, end - begin);
    if (!m_utf8)
        return CodePage::decode(bytes);
    // A part is decoded on its own: a byte-order mark in it is a character
    // of the line, and a sequence cut off at its end is not held back.
    using Flag = QStringDecoder::Flag;
    return QStringDecoder(QStringDecoder::Utf8, Flag::Stateless | Flag::ConvertInitialBom).decode(bytes);
}
