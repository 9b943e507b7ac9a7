#include "views/HistoryTable.h"

#include "platform/TextFile.h"
#include "platform/TextFileReader.h"
#include "records/PersonFile.h"

#include <QDir>

HistoryTable::Result HistoryTable::read(const QString &path)
{
    Result result;
    QString reason;
    switch (TextFile::presence(path)) {
    case TextFile::Presence::Missing:
        result.outcome = Outcome::NoFile;
        result.message = PersonFile::noRecordMessage();
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
    result.message = PersonFile::unreadableMessage(path, reason);
    return result;
}
