#include "platform/TextFile.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kCodePage = "windows-1252";

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Writes everything, retrying after interruptions; returns the bytes written.
qsizetype writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        done += n;
    }
    return done;
}

// Writes everything and makes it reach the disk; errno of the failure, or 0.
int writeAndSync(int fd, const QByteArray &bytes)
{
    if (writeAll(fd, bytes) != bytes.size())
        return errno ? errno : EIO;
    return ::fsync(fd) != 0 ? errno : 0;
}

// Gives the unnamed file open at fd the name; errno of the failure, or 0.
int linkUnder(int fd, const QByteArray &name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0)
        return errno;
    // Without /proc only the descriptor itself can be linked, which needs privileges.
    return ::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

// A write cut short says nothing of why: the process's file size limit was
// reached, or else the disk is full.
int shortWriteReason(int fd)
{
    struct stat st {};
    rlimit limit {};
    if (::fstat(fd, &st) == 0 && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && rlim_t(st.st_size) >= limit.rlim_cur)
        return EFBIG;
    return ENOSPC;
}

// Takes our own appended bytes off the end again, but only while nobody
// has written after them.
void cutBack(int fd, ssize_t written)
{
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    struct stat now {};
    if (end >= written && ::fstat(fd, &now) == 0 && now.st_size == end)
        (void)::ftruncate(fd, end - written);
}

void syncFolderOf(const QString &path)
{
    const int dir = ::open(nativePath(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

TextFile::Result failure(int error)
{
    return TextFile::Result{false, error};
}

} // namespace

QString TextFile::Result::reason() const
{
    return reasonText(error);
}

QByteArray TextFile::encode(const QString &text)
{
    QStringEncoder encoder(kCodePage);
    return encoder.encode(text);
}

QString TextFile::decode(QByteArrayView bytes)
{
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

bool TextFile::isStorable(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    QStringEncoder encoder(kCodePage);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return false;
    return decode(bytes) == text;
}

QByteArray TextFile::lines(std::initializer_list<QString> lines)
{
    QString joined;
    for (const QString &line : lines) {
        joined += line;
        joined += QLatin1String("\r\n");
    }
    return encode(joined);
}

TextFile::Presence TextFile::presence(const QString &path)
{
    struct stat st {};
    // Any other failure (no permission, name too long) shows up with its own
    // reason when the file is then created.
    if (::lstat(nativePath(path).constData(), &st) != 0)
        return Presence::Missing;
    return S_ISREG(st.st_mode) ? Presence::RegularFile : Presence::Unusable;
}

TextFile::Result TextFile::createNew(const QString &path, const QByteArray &bytes)
{
    // The file is written without a name in its folder and then linked under
    // its name, so it appears with all its bytes at once; the link fails when
    // anything of that name appeared meanwhile. Created in place, an empty
    // file would be visible for a moment, and a record that another station
    // appended to it would then be overwritten.
    const QByteArray folder = nativePath(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
            return createInPlace(path, bytes); // a file system without unnamed files
        return failure(errno);
    }
    int error = writeAndSync(fd, bytes);
    if (!error)
        error = linkUnder(fd, nativePath(path));
    // Unlinked, an unnamed file vanishes with its descriptor.
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error)
        return failure(error);
    syncFolderOf(path);
    return {};
}

TextFile::Result TextFile::createInPlace(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = nativePath(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return failure(errno);

    int error = writeAndSync(fd, bytes);
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error) {
        // A file this call made but could not complete must not stay behind.
        ::unlink(name.constData());
        return failure(error);
    }
    syncFolderOf(path);
    return {};
}

TextFile::Result TextFile::append(const QString &path, const QByteArray &bytes)
{
    // O_NONBLOCK: a FIFO planted at the path must fail, not hang the window.
    const int fd = ::open(nativePath(path).constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);

    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failure(NotRegularFile);
    }

    // One write call, so that lines from two stations never interleave.
    ssize_t written;
    do {
        written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    } while (written < 0 && errno == EINTR);

    int error = 0;
    if (written < 0)
        error = errno;
    else if (written != bytes.size())
        error = shortWriteReason(fd);
    else if (::fsync(fd) != 0)
        error = errno;
    if (error && written > 0)
        cutBack(fd, written);
    if (::close(fd) != 0 && !error)
        error = errno;
    return error ? failure(error) : Result{};
}

QString TextFile::reasonText(int error)
{
    switch (error) {
    case 0:
        return {};
    case NotRegularFile:
    case ELOOP:
    case ENXIO:
    case EISDIR:
        return QStringLiteral("keine gewöhnliche Datei");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Ordner oder Datei nicht vorhanden");
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Berechtigung");
    case EROFS:
        return QStringLiteral("Datenträger ist schreibgeschützt");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("kein Speicherplatz mehr auf dem Datenträger");
    case ENAMETOOLONG:
        return QStringLiteral("Dateiname zu lang");
    case EFBIG:
        return QStringLiteral("Datei zu groß");
    case EEXIST:
        return QStringLiteral("Datei existiert bereits");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}
