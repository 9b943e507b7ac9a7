#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Windows-1252, the single-byte code page of every file the station writes,
// from a table of our own: Qt offers it only through ICU, which Qt for
// Windows is built without.
class CodePage
{
public:
    // The bytes of the text, or nothing when a character has no byte in the
    // code page; `unstorable` then holds the first such character.
    static std::optional<QByteArray> encode(const QString &text, QString *unstorable = nullptr);
    static QString decode(QByteArrayView bytes);
};
