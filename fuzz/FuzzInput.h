#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

// Turns a fuzzer's bytes into the texts the program meets: lines as a file
// yields them, and texts as a person types them.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size);

    QByteArray bytes() const { return m_bytes; }

    // The bytes cut at '|' into at most count pieces; the last takes the rest
    // and missing pieces are empty.
    QList<QByteArray> fields(qsizetype count) const;

    // Bytes as read from a Windows-1252 file.
    static QString stored(const QByteArray &bytes);
    // Bytes as UTF-8, the way anything typed reaches the fields.
    static QString typed(const QByteArray &bytes);

    // Written with 15 significant digits, any double beyond this rounds past
    // the largest double and is no number when read back.
    static constexpr double largestReadBack = 1.79769313486231e308;

    // A broken property must crash, so that the fuzzer keeps the input.
    static void require(bool holds, const char *property);

private:
    QByteArray m_bytes;
};
