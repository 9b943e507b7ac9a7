#pragma once

#include "platform/TextFile.h"

#include <QString>

// One person's history file: where it lies, how its lines are laid out, how
// a measurement is stored, and the rules that take sex, age and BMI back out.
class PersonFile
{
public:
    static QString fullName(const QString &firstName, const QString &lastName);
    // Empty for a name that would lead outside the data folder: such a name
    // names no file, so the views find none and nothing is read or written.
    static QString path(const QString &fullName);
    // False when a separator (or a NUL) in the name would put its files
    // outside the data folder.
    static bool staysInDataFolder(const QString &fullName);

    static QString sexWord(bool male, bool female);
    static QString headerLine(const QString &fullName, const QString &sexWord, const QString &ageText);
    static QString recordLine(const QString &dateText, const QString &weightText,
                              const QString &heightText, const QString &bmiText);

    // The first of the header's last 16 characters ("m" or "w" when the age
    // has two characters).
    static QString sexLetter(const QString &headerLine);
    // The first two of the header's last 7 characters.
    static QString storedAge(const QString &headerLine);
    // The record line's last two characters.
    static QString recordBmi(const QString &recordLine);

    // What the views tell the user when there is no file for the name, or
    // something at its path that cannot be read.
    static const QString &noRecordMessage();
    static QString unreadableMessage(const QString &path, const QString &reason);

    struct StoreResult
    {
        bool ok = true;
        QString message; // for the user, naming the file and the reason
    };

    // Appends the record line to an existing file, or creates the file with
    // header line, empty line and record line in one write.
    static StoreResult store(const QString &path, const QString &headerLine, const QString &recordLine);
};
