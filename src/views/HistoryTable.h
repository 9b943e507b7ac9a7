#pragma once

#include "platform/TextLines.h"

#include <QString>

// A person file listed line by line exactly as stored: the header line, the
// empty line and every record line, each without its line end.
class HistoryTable
{
public:
    enum class Outcome { Listed, NoFile, Unreadable };

    struct Result
    {
        Outcome outcome = Outcome::NoFile;
        TextLines lines;
        QString message; // for the user, when not listed
    };

    // Reads the whole file in one pass, however long it is. Something at the
    // path that is no regular file (a symlink, a folder, a FIFO) or cannot be
    // read is refused with a message naming it and the reason.
    static Result read(const QString &path);
};
