#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads a regular file in the data folder, never a link, folder, FIFO or device.
class TextFile
{
public:
    enum class Status { Read, Missing, Unreadable };

    struct Contents
    {
        Status status = Status::Missing;
        QByteArray bytes;
        QString reason; // why it is unreadable, for the user
    };

    // The whole file, or only up to and including its maxLines-th line end.
    // An empty path names no file.
    static Contents read(const QString &path, std::optional<qsizetype> maxLines = std::nullopt);
};
