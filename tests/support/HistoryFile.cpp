#include "support/HistoryFile.h"

#include "platform/TextFile.h"
#include "records/PersonFile.h"

QStringList HistoryFile::records(const QStringList &bmiTexts)
{
    QStringList lines;
    for (int i = 0; i < bmiTexts.size(); ++i)
        lines.append(PersonFile::recordLine(QStringLiteral("05.02.2002"), QString::number(50 + i), QStringLiteral("1800"), bmiTexts[i]));
    return lines;
}

QStringList HistoryFile::records(int count)
{
    QStringList bmiTexts;
    for (int i = 0; i < count; ++i)
        bmiTexts.append(QString::number(18 + i % 20));
    return records(bmiTexts);
}

QByteArray HistoryFile::bytes(const QString &headerLine, const QStringList &records)
{
    return TextFile::encode((QStringList{headerLine, QString()} + records).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}
