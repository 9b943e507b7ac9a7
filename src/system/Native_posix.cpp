#include "system/Native.h"

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace Native {

namespace {

Result failure(int error)
{
    static const struct { std::vector<int> errors; Outcome outcome; const char *text; } reasons[] = {
        {{ENOENT, ENOTDIR}, Outcome::Failed, "Ordner oder Datei nicht vorhanden"},
        {{EACCES, EPERM}, Outcome::Failed, "keine Berechtigung"},
        {{EROFS}, Outcome::Failed, "Datenträger ist schreibgeschützt"},
        {{ENOSPC, EDQUOT}, Outcome::Failed, "kein Speicherplatz mehr auf dem Datenträger"},
        {{ENAMETOOLONG}, Outcome::Failed, "Dateiname zu lang"},
        {{EFBIG}, Outcome::Failed, "Datei zu groß"},
        {{EEXIST}, Outcome::Exists, "Datei existiert bereits"},
        {{ELOOP, EISDIR, ENXIO}, Outcome::NotRegularFile, "keine gewöhnliche Datei"},
        {{EIO}, Outcome::Failed, "Ein-/Ausgabefehler"},
        {{ENOLCK}, Outcome::Failed, "keine Sperre verfügbar"},
        {{ESTALE, ENOTCONN, ETIMEDOUT, EHOSTDOWN, EHOSTUNREACH, ENETDOWN, ENETUNREACH},
         Outcome::Failed, "Dateiserver nicht erreichbar"},
        {{EMFILE, ENFILE}, Outcome::Failed, "zu viele offene Dateien"},
        {{EBUSY, ETXTBSY}, Outcome::Failed, "Datei wird gerade benutzt"},
    };
    for (const auto &reason : reasons) {
        if (std::count(reason.errors.begin(), reason.errors.end(), error))
            return {reason.outcome, reason.text};
    }
    return {Outcome::Failed, "Systemfehler " + std::to_string(error)};
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the path still names the open file.
bool named(const std::string &path, const File &file)
{
    struct stat byName {}, open {};
    return ::lstat(path.c_str(), &byName) == 0 && ::fstat(file.descriptor(), &open) == 0 && sameFile(byName, open);
}

// Opening alone can act (wake a FIFO's writer, rewind a tape), so only what
// lstat() shows to be a regular file is opened, and only if it is still the
// same file once open.
Opened openRegular(const std::string &path, int flags)
{
    struct stat seen {};
    if (::lstat(path.c_str(), &seen) != 0)
        return {errno == ENOENT ? Result{Outcome::Missing, {}} : failure(errno), {}};
    if (!S_ISREG(seen.st_mode))
        return {failure(EISDIR), {}};
    File file(::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file)
        return {failure(errno), {}};
    struct stat now {};
    if (::fstat(file.descriptor(), &now) != 0 || !sameFile(now, seen))
        return {failure(EISDIR), {}};
    return {{}, std::move(file)};
}

int writeAll(const File &file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(file.descriptor(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        bytes.remove_prefix(size_t(n));
    }
    return 0;
}

} // namespace

File::~File()
{
    // Every write that counts was flushed to the disk before: nothing is left
    // for close() to report.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

Opened openForReading(const std::string &path)
{
    return openRegular(path, O_RDONLY);
}

namespace {

std::string temporaryPath(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return path.substr(0, slash + 1) + temporaryName(path.substr(slash + 1));
}

// Gives the whole temporary file its name. link() never replaces a name (a
// retransmitted link() over NFS can answer "exists" for its own success: then
// the file has two names); where the folder has no links (FAT, some SMB
// servers), renameat2() without replacing; where that is missing too (FAT
// through FUSE), rename() once the name is seen free, under the temporary
// file's lock: only the station holding that can create the name. A
// replacing rename() never replaces a link or folder.
int giveName(const std::string &temporary, const std::string &path, const File &file, bool replace, bool locked)
{
    struct stat seen {};
    if (!replace) {
        if (::link(temporary.c_str(), path.c_str()) == 0)
            return 0;
        const int error = errno;
        if (error == EEXIST && ::fstat(file.descriptor(), &seen) == 0 && seen.st_nlink == 2)
            return 0;
        if (error != EPERM && error != EOPNOTSUPP && error != EMLINK && error != ENOSYS)
            return error;
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        if (!locked)
            return error;
    }
    if (::lstat(path.c_str(), &seen) == 0 && !(replace && S_ISREG(seen.st_mode)))
        return replace ? EISDIR : EEXIST;
    return ::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
}

} // namespace

Result writeWhole(const std::string &path, std::string_view bytes, bool replace, int timeoutMs,
                  const std::function<void()> &whileWaiting)
{
    const std::string temporary = temporaryPath(path);
    // Each round either writes, or finds the name taken and frees it: only
    // stations that keep starting anew can use them up.
    for (int round = 0; round < 10; ++round) {
        const File file(::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!file && errno != EEXIST)
            return failure(errno);
        const Result freed = file ? Result{} : removeLeftover(path, timeoutMs, whileWaiting);
        if (!freed.ok())
            return freed;
        if (!file)
            continue;
        // Held from first to last byte; taken for a crash's meanwhile, the
        // name is gone.
        const Result held = lockExclusive(file, timeoutMs, whileWaiting);
        if (!held.ok() && held.outcome != Outcome::NoLocking)
            return held;
        if (!named(temporary, file))
            continue;

        int error = writeAll(file, bytes);
        if (!error && ::fsync(file.descriptor()) != 0)
            error = errno;
        if (!error)
            error = giveName(temporary, path, file, replace, held.ok());
        // Still the temporary name after a link() or a failure; nobody else
        // takes it from the holder of its lock.
        if (named(temporary, file))
            ::unlink(temporary.c_str());
        if (error)
            return failure(error);
        // Once named, the file counts as written: another station may already
        // append to it, so it could not be taken back. The folder is flushed
        // only for the name to last.
        const File folder(::open(path.substr(0, path.rfind('/') + 1).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder)
            ::fsync(folder.descriptor());
        return {};
    }
    return kHeld;
}

Result removeLeftover(const std::string &path, int timeoutMs, const std::function<void()> &whileWaiting)
{
    // A station holds its temporary file locked from first to last byte, and
    // a name only goes while the file it names is held.
    const std::string temporary = temporaryPath(path);
    const File file(::open(temporary.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file)
        return errno == ENOENT ? Result{} : failure(errno);
    const Result held = lockExclusive(file, timeoutMs, whileWaiting);
    if (!held.ok() && held.outcome != Outcome::NoLocking)
        return held;
    if (named(temporary, file))
        ::unlink(temporary.c_str());
    return {};
}

Opened openForAppend(const std::string &path)
{
    return openRegular(path, O_RDWR | O_APPEND);
}

Result lockExclusive(const File &file, int timeoutMs, const std::function<void()> &whileWaiting)
{
    // One byte far past any data: readers are never held up, also where
    // locks are mandatory (a Windows server behind SMB).
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = off_t(1) << 62;
    lock.l_len = 1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::fcntl(file.descriptor(), F_SETLK, &lock) != 0) {
        // Only a mount that keeps no locks at all goes on without; a lock
        // service that fails is no such mount.
        if (errno == EOPNOTSUPP || errno == ENOSYS)
            return {Outcome::NoLocking, {}};
        if (errno != EACCES && errno != EAGAIN && errno != EINTR)
            return failure(errno);
        if (std::chrono::steady_clock::now() >= deadline)
            return kHeld;
        whileWaiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

LastByte lastByte(const File &file)
{
    struct stat st {};
    if (::fstat(file.descriptor(), &st) != 0)
        return {failure(errno), {}};
    if (st.st_size == 0)
        return {};
    char last = 0;
    const ssize_t n = ::pread(file.descriptor(), &last, sizeof last, st.st_size - 1);
    if (n < 0)
        return {failure(errno), {}};
    if (n == 0)
        return {kShortened, {}};
    return {{}, last};
}

Result appendBlock(const File &file, std::string_view bytes, bool mayCutBack)
{
    struct stat before {};
    if (::fstat(file.descriptor(), &before) != 0)
        return failure(errno);
    int error = writeAll(file, bytes);
    if (!error && ::fsync(file.descriptor()) != 0)
        error = errno;
    if (!error)
        return {};
    // Nothing of a record that did not reach the disk whole stays behind.
    if (mayCutBack && ::ftruncate(file.descriptor(), before.st_size) == 0)
        ::fsync(file.descriptor());
    return failure(error);
}

std::string dataFolder()
{
    const char *home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd *user = ::getpwuid(::getuid());
        home = user ? user->pw_dir : "";
    }
    return std::string(home) + "/Eigene Dateien/";
}

std::string forbiddenNameCharacters()
{
    return "/";
}

std::vector<std::string> shutdownCommand()
{
    return {"systemctl", "poweroff"};
}

Printers printers(std::string &defaultName)
{
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    Printers found = Printers::None;
    if (count == 0 && cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
        found = Printers::ServiceUnreachable;
    else if (count > 0)
        found = Printers::NoDefault;
    if (const cups_dest_t *dest = cupsGetDest(nullptr, nullptr, count, dests)) {
        defaultName = dest->name;
        found = Printers::Default;
    }
    cupsFreeDests(count, dests);
    return found;
}

Result printPdf(const std::string &printer, const std::string &title, std::string_view pdf)
{
    const char *name = printer.c_str();
    // The station's own settings for the queue (lpoptions) apply, as with lp.
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name, nullptr);
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name, title.c_str(), dest ? dest->num_options : 0,
                                  dest ? dest->options : nullptr);
    cupsFreeDests(1, dest);
    const bool sent = job > 0
        && cupsStartDocument(CUPS_HTTP_DEFAULT, name, job, title.c_str(), CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    if (sent) {
        // The answer to the document as a whole is what cupsFinishDocument reads.
        cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.data(), pdf.size());
        cupsFinishDocument(CUPS_HTTP_DEFAULT, name);
    }
    const ipp_status_t status = cupsLastError();
    if (sent && status <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return {};
    Result refused{Outcome::Failed, cupsLastErrorString()};
    if (status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS)
        refused.reason = "der Drucker nimmt keine Aufträge an";
    else if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
        refused.reason = "der Druckdienst ist nicht erreichbar";
    // A job without its whole document is taken back rather than left waiting.
    if (job > 0)
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name, job, 0);
    return refused;
}

} // namespace Native
