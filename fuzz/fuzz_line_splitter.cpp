// Line splitting of stored files: whatever the bytes, every piece of the file
// between line ends comes back once, in order, whatever the read size, line
// by line, in bulk, or kept as compact lines for the list.
#include "FuzzInput.h"
#include "platform/TextFileReader.h"
#include "platform/TextLines.h"

#include <QStringList>

namespace {

QStringList readAll(const QByteArray &bytes, qsizetype chunkSize)
{
    TextFileReader reader;
    reader.openBytes(bytes, chunkSize);
    QStringList lines;
    while (!reader.atEnd())
        lines << reader.readLine();
    FuzzInput::require(reader.readLine().isEmpty(), "nothing is read past the end");
    return lines;
}

// The first `first` lines one by one, then the rest in bulk.
QStringList readInBulk(const QByteArray &bytes, qsizetype chunkSize, int first)
{
    TextFileReader reader;
    reader.openBytes(bytes, chunkSize);
    QStringList lines;
    while (first-- > 0 && !reader.atEnd())
        lines << reader.readLine();
    lines += reader.readAllLines();
    FuzzInput::require(reader.atEnd() && reader.readAllLines().isEmpty(), "nothing is read past the end in bulk");
    return lines;
}

QStringList compactLines(const QByteArray &bytes)
{
    const TextLines compact(bytes);
    QStringList lines;
    for (qsizetype i = 0; i < compact.count(); ++i)
        lines << compact.at(i);
    FuzzInput::require(compact.at(compact.count()).isEmpty() && compact.toStringList() == lines, "compact lines agree");
    return lines;
}

// LF ends a line, a CR right before it belongs to the line end, and a last
// piece without a line end is a line of its own.
QStringList expectedLines(const QByteArray &bytes)
{
    QList<QByteArray> pieces = bytes.split('\n');
    if (pieces.last().isEmpty())
        pieces.removeLast();
    QStringList lines;
    for (QByteArray &piece : pieces) {
        if (piece.endsWith('\r'))
            piece.chop(1);
        lines << FuzzInput::stored(piece);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks how many bytes one read or decoded piece holds,
    // so that line ends fall on every position relative to their boundaries,
    // and after how many single lines the bulk read takes over.
    const qsizetype chunkSize = 1 + data[0] % 32;
    const int singleLines = data[0] / 32;
    const QByteArray bytes = FuzzInput(data + 1, size - 1).bytes();

    const QStringList expected = expectedLines(bytes);
    FuzzInput::require(readAll(bytes, chunkSize) == expected, "small reads split like the file");
    FuzzInput::require(readAll(bytes, 64 * 1024) == expected, "whole reads split like the file");
    FuzzInput::require(readInBulk(bytes, chunkSize, singleLines) == expected, "the bulk read splits like the file");
    FuzzInput::require(compactLines(bytes) == expected, "compact lines split like the file");
    return 0;
}
