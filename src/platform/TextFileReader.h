#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <optional>

// Reads a Windows-1252 text file line by line. CR LF ends a line, and so does
// a lone LF; a last line without a line end is a line all the same. Only
// regular files are opened, and opening never blocks.
class TextFileReader
{
public:
    TextFileReader();
    ~TextFileReader();
    TextFileReader(const TextFileReader &) = delete;
    TextFileReader &operator=(const TextFileReader &) = delete;

    // False when the file is missing, not a regular file or cannot be read;
    // errorReason() then says why.
    bool open(const QString &path);
    QString errorReason() const;

    // Reads the given bytes instead of a file, handing them to the line
    // splitting in pieces of chunkSize bytes as reading a file would, and
    // decoding them in bulk in pieces of that size too.
    void openBytes(const QByteArray &bytes, qsizetype chunkSize);

    // True once the last line has been read (or when nothing could be read).
    bool atEnd();
    // The next line without its line end; an empty text past the end.
    QString readLine();
    // Every line not yet read, by the rules of readLine(), read and decoded in
    // bulk: a file of a million lines costs one pass, not a million reads.
    QStringList readAllLines();
    // The bytes not yet read, all at once.
    QByteArray readRest();
    // True when opening or reading failed; errorReason() says why.
    bool failed() const { return m_error != 0; }
    void close();

    // Every line of the regular file at the path, or nothing when it cannot
    // be opened or read through (reason, when given, then says why).
    static std::optional<QStringList> readLines(const QString &path, QString *reason = nullptr);

private:
    bool fill();
    qsizetype readChunk(char *into);

    int m_fd = -1;
    QByteArray m_bytes; // the source when reading from memory
    qsizetype m_bytesPos = 0;
    qsizetype m_chunk;
    qsizetype m_decodePiece;
    int m_error = 0;
    bool m_eof = true;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    QStringDecoder m_decoder;
};
