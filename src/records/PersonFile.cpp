#include "records/PersonFile.h"

#include "platform/DataFolder.h"

#include <QDir>
#include <cerrno>

QString PersonFile::fullName(const QString &firstName, const QString &lastName)
{
    return firstName + QLatin1Char(' ') + lastName;
}

QString PersonFile::path(const QString &fullName)
{
    if (!staysInDataFolder(fullName))
        return {};
    return DataFolder::path() + fullName + QStringLiteral(".txt");
}

bool PersonFile::staysInDataFolder(const QString &fullName)
{
    // A NUL would cut the file name short at that point.
    if (fullName.contains(QLatin1Char('/')) || fullName.contains(QChar(0)))
        return false;
#ifdef Q_OS_WIN
    if (fullName.contains(QLatin1Char('\\')))
        return false;
#endif
    return true;
}

QString PersonFile::sexWord(bool male, bool female)
{
    QString word;
    if (male)
        word = QStringLiteral("  männlich");
    if (female)
        word = QStringLiteral("  weiblich");
    return word;
}

QString PersonFile::headerLine(const QString &fullName, const QString &sexWord, const QString &ageText)
{
    return fullName + sexWord + QLatin1Char(' ') + ageText + QStringLiteral("Jahre");
}

QString PersonFile::recordLine(const QString &dateText, const QString &weightText,
                               const QString &heightText, const QString &bmiText)
{
    return QStringLiteral("  ") + dateText + QStringLiteral("    ") + weightText + QStringLiteral("kg    ")
        + heightText + QStringLiteral("mm    ") + QStringLiteral(" BMI: ") + bmiText;
}

QString PersonFile::sexLetter(const QString &headerLine)
{
    return headerLine.right(16).left(1);
}

QString PersonFile::storedAge(const QString &headerLine)
{
    return headerLine.right(7).left(2);
}

QString PersonFile::recordBmi(const QString &recordLine)
{
    return recordLine.right(2);
}

const QString &PersonFile::noRecordMessage()
{
    static const QString text = QStringLiteral("Kein Datensatz vorhanden ! !");
    return text;
}

QString PersonFile::unreadableMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2.").arg(QDir::toNativeSeparators(path), reason);
}

PersonFile::StoreResult PersonFile::store(const QString &path, const QString &headerLine, const QString &recordLine)
{
    TextFile::Result result;
    switch (TextFile::presence(path)) {
    case TextFile::Presence::RegularFile:
        result = TextFile::append(path, TextFile::lines({recordLine}));
        break;
    case TextFile::Presence::Missing:
        result = TextFile::createNew(path, TextFile::lines({headerLine, QString(), recordLine}));
        // Another station created it since we looked: extend it instead.
        if (!result.ok && result.error == EEXIST)
            result = TextFile::append(path, TextFile::lines({recordLine}));
        break;
    case TextFile::Presence::Unusable:
        result = TextFile::Result{false, TextFile::NotRegularFile};
        break;
    }
    if (result.ok)
        return {};
    return {false, QStringLiteral("Die Datei %1 konnte nicht gespeichert werden: %2.")
                       .arg(QDir::toNativeSeparators(path), result.reason())};
}
