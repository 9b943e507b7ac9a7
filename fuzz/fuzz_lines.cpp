// The line reader against the plainest reference: split at LF, drop one CR
// before it, no line after a final line end; Windows-1252 gives a character
// a byte. An operator's text, whatever its encoding, never gives more, and
// its parts make up its lines.
#include "system/TextLines.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> expected = bytes.split('\n');
    if (bytes.isEmpty() || bytes.endsWith('\n'))
        expected.removeLast();
    const TextLines lines(bytes), text = TextLines::operatorText(bytes);
    if (lines.count() != expected.size())
        std::abort();
    for (qsizetype i = 0; i < lines.count(); ++i) {
        const qsizetype length = expected[i].size() - expected[i].endsWith('\r');
        if (lines.length(i) != length || lines.at(i).size() != length || (i < text.count() && text.at(i).size() > text.length(i)))
            std::abort();
        // The parts the list draws a long line in make up the whole line.
        QString parts;
        for (qsizetype from = 0; i < text.count() && from < text.length(i); from += 3)
            parts += text.part(i, from, 3);
        if (i < text.count() && parts != text.at(i))
            std::abort();
    }
    return 0;
}
