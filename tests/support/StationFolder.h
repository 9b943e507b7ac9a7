#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A throw-away home folder with an empty data folder in it. $HOME points at
// it while the object lives, so the program's files land there.
class StationFolder
{
public:
    explicit StationFolder(bool createDataFolder = true);
    ~StationFolder();

    QString home() const;
    QString dataPath() const; // with trailing slash
    QString file(const QString &name) const { return dataPath() + name; }

    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

    // bmi0.txt .. bmi5.txt, each naming itself in its lines (see
    // assessmentLines), Windows-1252, the last line without line end.
    void writeAssessmentFiles() const;
    static QStringList assessmentLines(int file);

    // Every entry of the data folder with its bytes, to prove nothing changed.
    QMap<QString, QByteArray> snapshot() const;

    // The message of a take-over that could not store the named file.
    QString storeFailure(const QString &name, const QString &reason) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};
