#include "system/TextFile.h"

#include "system/Native.h"

#include <QFile>

TextFile::Contents TextFile::read(const QString &path, std::optional<qsizetype> maxLines)
{
    Contents contents;
    const Native::Opened opened = path.isEmpty() ? Native::Opened{{Native::Outcome::Missing, {}}, {}}
                                                 : Native::openForReading(path.toStdString());
    if (opened.result.outcome == Native::Outcome::Missing)
        return contents;
    contents.status = Status::Unreadable;
    contents.reason = QString::fromStdString(opened.result.reason);
    if (!opened.result.ok())
        return contents;

    QFile file; // closed before the handle it reads through
    file.open(opened.file.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
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
