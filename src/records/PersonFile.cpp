#include "records/PersonFile.h"

#include "system/Native.h"

#include <QCoreApplication>
#include <QDir>

namespace {

constexpr int kLockWaitMs = 5000;

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
    int fd = -1;
    Native::Result result = Native::openForAppend(name, fd);
    if (result.outcome == Native::Outcome::Missing) {
        result = Native::createNew(name, view(wholeFile));
        if (result.outcome != Native::Outcome::Exists)
            return storeFailure(path, result);
        // Another station created it meanwhile: extend theirs.
        result = Native::openForAppend(name, fd);
    }
    if (!result.ok())
        return storeFailure(path, result);

    // The window repaints while another station appends, but takes no input.
    result = Native::lockExclusive(fd, kLockWaitMs, [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    if (result.outcome == Native::Outcome::NoLocking)
        result = {}; // a mount without locks: append all the same
    int last = -1;
    if (result.ok())
        result = Native::lastByte(fd, last);
    if (result.ok())
        result = Native::appendBlock(fd, view(last < 0 ? wholeFile : last == '\n' ? record : last == '\r' ? "\n" + record : "\r\n" + record));
    Native::closeFile(fd);
    return storeFailure(path, result);
}
