#pragma once

#include <QByteArray>
#include <QStringList>

// Person files as the take-over writes them, made up for tests.
class HistoryFile
{
public:
    // One record line per BMI text, weights 50, 51, ... so that no two lines are alike.
    static QStringList records(const QStringList &bmiTexts);
    // That many record lines with BMI texts running through 18..37.
    static QStringList records(int count);
    // Header line, empty line and record lines, in Windows-1252 with CR LF.
    static QByteArray bytes(const QString &headerLine, const QStringList &records);
};
