#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Windows-1252, the single-byte code page of every file the station writes.
// Qt offers it through ICU; without it nothing may be stored.
class CodePage
{
public:
    static bool available();

    // The bytes of the text, or nothing when a character has no byte in the
    // code page; `unstorable` then holds the first such character.
    static std::optional<QByteArray> encode(const QString &text, QString *unstorable = nullptr);
    static QString decode(QByteArrayView bytes);
};
