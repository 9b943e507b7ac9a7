#include "system/TextFile.h"

#include "system/Native.h"

#include <QFile>

TextFile::Contents TextFile::read(const QString &path, std::optional<qsizetype> maxLines)
{
    Contents contents;
    int fd = -1;
    const Native::Result opened = path.isEmpty() ? Native::Result{Native::Outcome::Missing, {}}
                                                 : Native::openForReading(path.toStdString(), fd);
    if (opened.outcome == Native::Outcome::Missing)
        return contents;
    contents.status = Status::Unreadable;
    contents.reason = QString::fromStdString(opened.reason);
    if (!opened.ok())
        return contents;

    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (!maxLines)
        contents.bytes = file.readAll();
    for (qsizetype line = 0; maxLines && line < *maxLines && !file.atEnd(); ++line)
        contents.bytes += file.readLine();
    if (file.error() != QFileDevice::NoError) {
        contents.reason = file.errorString();
        return contents;
    }
    contents.status = Status::Read;
    return contents;
}
