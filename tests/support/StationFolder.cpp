#include "support/StationFolder.h"

#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

StationFolder::StationFolder(bool createDataFolder)
    : m_oldHome(qgetenv("HOME"))
{
    qputenv("HOME", m_dir.path().toLocal8Bit());
    if (createDataFolder)
        QDir(m_dir.path()).mkdir(QStringLiteral("Eigene Dateien"));
}

StationFolder::~StationFolder()
{
    qputenv("HOME", m_oldHome);
    // Leave the folder removable even when a test took write access away.
    QFile::setPermissions(dataPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString StationFolder::home() const
{
    return m_dir.path();
}

QString StationFolder::dataPath() const
{
    return m_dir.path() + QStringLiteral("/Eigene Dateien/");
}

void StationFolder::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray StationFolder::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList StationFolder::assessmentLines(int file)
{
    return {QStringLiteral("Bewertung %1").arg(file), QString(), QStringLiteral("  Zeile %1 für Sie").arg(file),
            QStringLiteral("Ende %1").arg(file)};
}

void StationFolder::writeAssessmentFiles() const
{
    for (int i = 0; i <= 5; ++i)
        write(QStringLiteral("bmi%1.txt").arg(i), TextFile::encode(assessmentLines(i).join(QLatin1String("\r\n"))));
}

QMap<QString, QByteArray> StationFolder::snapshot() const
{
    QMap<QString, QByteArray> entries;
    const QDir dir(dataPath());
    for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden)) {
        QByteArray bytes;
        if (info.isFile() && !info.isSymLink()) {
            QFile f(info.filePath());
            if (f.open(QIODevice::ReadOnly))
                bytes = f.readAll();
        }
        entries.insert(info.fileName(), bytes);
    }
    return entries;
}

QString StationFolder::storeFailure(const QString &name, const QString &reason) const
{
    return QStringLiteral("Die Datei %1 konnte nicht gespeichert werden: %2.")
        .arg(QDir::toNativeSeparators(file(name)), reason);
}
