#include "FuzzInput.h"

#include "platform/TextFile.h"

#include <cstdio>
#include <cstdlib>

FuzzInput::FuzzInput(const uint8_t *data, size_t size)
    : m_bytes(reinterpret_cast<const char *>(data), qsizetype(size))
{
}

QList<QByteArray> FuzzInput::fields(qsizetype count) const
{
    QList<QByteArray> pieces;
    qsizetype start = 0;
    while (pieces.size() < count - 1) {
        const qsizetype bar = m_bytes.indexOf('|', start);
        if (bar < 0)
            break;
        pieces << m_bytes.mid(start, bar - start);
        start = bar + 1;
    }
    pieces << m_bytes.mid(start);
    while (pieces.size() < count)
        pieces << QByteArray();
    return pieces;
}

QString FuzzInput::stored(const QByteArray &bytes)
{
    return TextFile::decode(bytes);
}

QString FuzzInput::typed(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

void FuzzInput::require(bool holds, const char *property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}
