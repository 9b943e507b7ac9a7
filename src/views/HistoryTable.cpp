#include "views/HistoryTable.h"

#include "platform/TextFile.h"
#include "platform/TextFileReader.h"

#include <QDir>

const QString &HistoryTable::noRecordMessage()
{
    static const QString text = QStringLiteral("Kein Datensatz vorhanden ! !");
    return text;
}

HistoryTable::Result HistoryTable::read(const QString &path)
{
    Result result;
    QString reason;
    switch (TextFile::presence(path)) {
    case TextFile::Presence::Missing:
        result.outcome = Outcome::NoFile;
        result.message = noRecordMessage();
        return result;
    case TextFile::Presence::Unusable:
        reason = TextFile::reasonText(TextFile::NotRegularFile);
        break;
    case TextFile::Presence::RegularFile:
    {
        TextFileReader reader;
        if (reader.open(path)) {
            // Kept as bytes: a long history costs little more than the file.
            TextLines lines(reader.readRest());
            if (!reader.failed()) {
                result.outcome = Outcome::Listed;
                result.lines = std::move(lines);
                return result;
            }
        }
        reason = reader.errorReason();
        break;
    }
    }
    result.outcome = Outcome::Unreadable;
    result.message = QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2.")
                         .arg(QDir::toNativeSeparators(path), reason);
    return result;
}
