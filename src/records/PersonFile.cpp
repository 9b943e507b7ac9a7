#include "records/PersonFile.h"

#include "system/Native.h"
#include "system/OtherStation.h"

#include <QDir>

namespace {

QString storeFailure(const QString &path, const Native::Result &result)
{
    if (result.ok())
        return {};
    if (result.outcome == Native::Outcome::LockTimedOut)
        return QStringLiteral("Die Datei %1 wird gerade von einer anderen Station geschrieben. "
                              "Bitte noch einmal übernehmen.").arg(QDir::toNativeSeparators(path));
    return QStringLiteral("Die Datei %1 konnte nicht gespeichert werden: %2.")
        .arg(QDir::toNativeSeparators(path), QString::fromStdString(result.reason));
}

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

} // namespace

QString PersonFile::fullName(const QString &firstName, const QString &lastName)
{
    return firstName + QLatin1Char(' ') + lastName;
}

QString PersonFile::forbiddenCharacter(const QString &fullName)
{
    const QString forbidden = QString::fromStdString(Native::forbiddenNameCharacters());
    for (const QChar c : fullName) {
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            return c;
    }
    return {};
}

QString PersonFile::path(const QString &fullName)
{
    if (!forbiddenCharacter(fullName).isEmpty())
        return {};
    return QString::fromStdString(Native::dataFolder()) + fullName + QStringLiteral(".txt");
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

QString PersonFile::recordLine(const QString &dateText, const QString &weightText, const QString &heightText,
                               const QString &bmiText)
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

QString PersonFile::noRecordMessage()
{
    return QStringLiteral("Kein Datensatz vorhanden ! !");
}

QString PersonFile::unreadableMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2.").arg(QDir::toNativeSeparators(path), reason);
}

QString PersonFile::store(const QString &path, const QByteArray &headerLine, const QByteArray &recordLine)
{
    const std::string name = path.toStdString();
    const QByteArray record = recordLine + "\r\n";
    const QByteArray wholeFile = headerLine + "\r\n\r\n" + record;
    Native::Opened opened = Native::openForAppend(name);
    if (opened.result.outcome == Native::Outcome::Missing) {
        const Native::Result created
            = Native::createNew(name, view(wholeFile), OtherStation::kWaitMs, OtherStation::whileWaiting);
        if (created.outcome != Native::Outcome::Exists)
            return storeFailure(path, created);
        // Another station created it meanwhile: extend theirs.
        opened = Native::openForAppend(name);
    }
    Native::Result result = opened.result;
    if (result.ok())
        result = Native::lockExclusive(opened.file, OtherStation::kWaitMs, OtherStation::whileWaiting);
    // A mount without locks: append all the same, but never cut back.
    const bool locked = result.ok();
    if (result.outcome == Native::Outcome::NoLocking)
        result = {};
    const Native::LastByte end = result.ok() ? Native::lastByte(opened.file) : Native::LastByte{result, {}};
    result = end.result;
    // An empty file gets the whole file; a line end is completed, never doubled.
    const QByteArray lineEnd = end.byte == '\n' ? "" : end.byte == '\r' ? "\n" : "\r\n";
    if (result.ok())
        result = Native::appendBlock(opened.file, view(end.byte ? lineEnd + record : wholeFile), locked);
    // What a crash left between naming the file and tidying up; never waits.
    Native::removeLeftover(name, 0, OtherStation::whileWaiting);
    return storeFailure(path, result);
}
