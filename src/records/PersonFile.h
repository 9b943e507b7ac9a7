#pragma once

#include <QByteArray>
#include <QString>

// One person's history file: where it lies, how its lines are laid out, how
// a measurement is stored, and the rules that take sex, age and BMI back out.
class PersonFile
{
public:
    static QString fullName(const QString &firstName, const QString &lastName);
    // The first character of the name that may not be part of a file name:
    // a separator would lead out of the data folder, a control character
    // would name another file. Empty when there is none.
    static QString forbiddenCharacter(const QString &fullName);
    // Empty for a name with a forbidden character: it names no file.
    static QString path(const QString &fullName);

    static QString sexWord(bool male, bool female);
    static QString headerLine(const QString &fullName, const QString &sexWord, const QString &ageText);
    static QString recordLine(const QString &dateText, const QString &weightText, const QString &heightText,
                              const QString &bmiText);

    // The first of the header's last 16 characters ("m" or "w" when the age
    // has two characters).
    static QString sexLetter(const QString &headerLine);
    // The first two of the header's last 7 characters.
    static QString storedAge(const QString &headerLine);
    // The record line's last two characters.
    static QString recordBmi(const QString &recordLine);

    static QString noRecordMessage();
    static QString unreadableMessage(const QString &path, const QString &reason);

    // Appends the record line to the file, after a line end when the file
    // lacks its last one; a missing or empty file gets the header line and
    // the empty line first. Waits a while for another station's append.
    // Returns what the user must be told when nothing was stored, else empty.
    static QString store(const QString &path, const QByteArray &headerLine, const QByteArray &recordLine);
};
