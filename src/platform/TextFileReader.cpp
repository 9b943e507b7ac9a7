#include "platform/TextFileReader.h"

#include "platform/TextFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kChunk = 64 * 1024;
constexpr qsizetype kDecodePiece = 1024 * 1024;

// Splits decoded text at LF, dropping a CR before it. Windows-1252 keeps CR
// and LF as they are, so the text splits where the bytes would.
void appendLines(const QString &text, QStringList &lines)
{
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype newline = text.indexOf(QLatin1Char('\n'), from);
        if (newline < 0)
            newline = text.size();
        qsizetype end = newline;
        if (end > from && text.at(end - 1) == QLatin1Char('\r'))
            --end;
        lines.append(text.sliced(from, end - from));
        from = newline + 1;
    }
}

} // namespace

TextFileReader::TextFileReader()
    : m_chunk(kChunk)
    , m_decodePiece(kDecodePiece)
    , m_decoder("windows-1252")
{
}

TextFileReader::~TextFileReader()
{
    close();
}

bool TextFileReader::open(const QString &path)
{
    close();
    m_error = 0;
    const QByteArray name = QFile::encodeName(path);
    // Opening alone can act: it arms a watchdog, rewinds a tape, wakes the
    // writer of a FIFO. Whatever is no regular file is never opened.
    struct stat seen {};
    if (::lstat(name.constData(), &seen) != 0) {
        m_error = errno;
        return false;
    }
    if (!S_ISREG(seen.st_mode)) {
        m_error = TextFile::NotRegularFile;
        return false;
    }
    // Should the entry be swapped in between, O_NOFOLLOW keeps off a link,
    // O_NONBLOCK keeps a FIFO from waiting for a writer, and the check
    // below refuses whatever was opened instead.
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != seen.st_dev || st.st_ino != seen.st_ino) {
        ::close(fd);
        m_error = TextFile::NotRegularFile;
        return false;
    }
    m_fd = fd;
    m_chunk = kChunk;
    m_decodePiece = kDecodePiece;
    m_eof = false;
    return true;
}

void TextFileReader::openBytes(const QByteArray &bytes, qsizetype chunkSize)
{
    close();
    m_error = 0;
    m_bytes = bytes;
    m_chunk = qMax<qsizetype>(chunkSize, 1);
    m_decodePiece = m_chunk;
    m_eof = false;
}

QString TextFileReader::errorReason() const
{
    return TextFile::reasonText(m_error);
}

void TextFileReader::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_bytes.clear();
    m_bytesPos = 0;
    m_eof = true;
    m_buffer.clear();
    m_pos = 0;
}

qsizetype TextFileReader::readChunk(char *into)
{
    if (m_fd < 0) {
        const qsizetype n = qMin(m_chunk, m_bytes.size() - m_bytesPos);
        std::memcpy(into, m_bytes.constData() + m_bytesPos, size_t(n));
        m_bytesPos += n;
        return n;
    }
    ssize_t n;
    do {
        n = ::read(m_fd, into, size_t(m_chunk));
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        m_error = errno;
    return n;
}

bool TextFileReader::fill()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    const qsizetype old = m_buffer.size();
    m_buffer.resize(old + m_chunk);
    const qsizetype n = readChunk(m_buffer.data() + old);
    if (n <= 0) {
        m_buffer.resize(old);
        m_eof = true;
        return false;
    }
    m_buffer.resize(old + n);
    return true;
}

bool TextFileReader::atEnd()
{
    while (m_pos >= m_buffer.size()) {
        if (!fill())
            return true;
    }
    return false;
}

QString TextFileReader::readLine()
{
    if (atEnd())
        return {};
    qsizetype searchFrom = m_pos;
    qsizetype newline;
    while ((newline = m_buffer.indexOf('\n', searchFrom)) < 0) {
        searchFrom = m_buffer.size() - m_pos; // offset survives the compaction in fill()
        if (!fill()) {
            newline = m_buffer.size();
            break;
        }
        searchFrom += m_pos;
    }
    qsizetype end = newline;
    if (end > m_pos && m_buffer.at(end - 1) == '\r')
        --end;
    const QString line = m_decoder.decode(QByteArrayView(m_buffer).sliced(m_pos, end - m_pos));
    m_pos = newline < m_buffer.size() ? newline + 1 : m_buffer.size();
    return line;
}

QByteArray TextFileReader::readRest()
{
    // What readLine() left in the buffer, then the rest of the file at once.
    QByteArray bytes = m_buffer.sliced(m_pos);
    m_buffer.clear();
    m_pos = 0;
    if (m_fd < 0) {
        bytes += QByteArrayView(m_bytes).sliced(m_bytesPos);
        m_bytesPos = m_bytes.size();
        m_eof = true;
        return bytes;
    }
    struct stat st {};
    const off_t offset = ::lseek(m_fd, 0, SEEK_CUR);
    if (::fstat(m_fd, &st) == 0 && offset >= 0 && st.st_size > offset)
        bytes.reserve(bytes.size() + qsizetype(st.st_size - offset) + 1);
    while (!m_eof) {
        // A file that grows meanwhile is read on to its end all the same.
        if (bytes.capacity() == bytes.size())
            bytes.reserve(bytes.size() + std::max(bytes.size(), kChunk));
        const qsizetype old = bytes.size();
        bytes.resize(bytes.capacity());
        ssize_t n;
        do {
            n = ::read(m_fd, bytes.data() + old, size_t(bytes.size() - old));
        } while (n < 0 && errno == EINTR);
        bytes.resize(old + std::max<ssize_t>(n, 0));
        if (n <= 0) {
            if (n < 0)
                m_error = errno;
            m_eof = true;
        }
    }
    return bytes;
}

QStringList TextFileReader::readAllLines()
{
    QStringList lines;
    const QByteArray bytes = readRest();

    // Decoded in large pieces, each ending after a line feed, so no line is
    // cut and the whole file never sits in memory twice as UTF-16.
    const QByteArrayView all(bytes);
    qsizetype from = 0;
    while (from < all.size()) {
        qsizetype to = std::min(all.size(), from + m_decodePiece);
        if (to < all.size()) {
            const qsizetype lastNewline = all.sliced(from, to - from).lastIndexOf('\n');
            if (lastNewline >= 0) {
                to = from + lastNewline + 1;
            } else {
                // One line longer than a piece: take all of it.
                const qsizetype nextNewline = all.indexOf('\n', to);
                to = nextNewline >= 0 ? nextNewline + 1 : all.size();
            }
        }
        appendLines(m_decoder.decode(all.sliced(from, to - from)), lines);
        from = to;
    }
    return lines;
}

std::optional<QStringList> TextFileReader::readLines(const QString &path, QString *reason)
{
    TextFileReader reader;
    std::optional<QStringList> lines;
    if (reader.open(path))
        lines = reader.readAllLines();
    if (reader.failed()) {
        if (reason)
            *reason = reader.errorReason();
        return std::nullopt;
    }
    return lines;
}
