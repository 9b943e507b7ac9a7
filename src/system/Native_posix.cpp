#include "system/Native.h"

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
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
    };
    for (const auto &reason : reasons) {
        if (std::count(reason.errors.begin(), reason.errors.end(), error))
            return {reason.outcome, reason.text};
    }
    return {Outcome::Failed, std::strerror(error)};
}

// Opening alone can act (wake a FIFO's writer, rewind a tape), so only what
// lstat() shows to be a regular file is opened, and only if it is still the
// same file once open.
Result openRegular(const std::string &path, int flags, int &fd)
{
    struct stat seen {};
    if (::lstat(path.c_str(), &seen) != 0)
        return errno == ENOENT ? Result{Outcome::Missing, {}} : failure(errno);
    if (!S_ISREG(seen.st_mode))
        return failure(EISDIR);
    fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    struct stat now {};
    if (::fstat(fd, &now) != 0 || now.st_dev != seen.st_dev || now.st_ino != seen.st_ino) {
        ::close(fd);
        return failure(EISDIR);
    }
    return {};
}

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        bytes.remove_prefix(size_t(n));
    }
    return 0;
}

} // namespace

Result openForReading(const std::string &path, int &fd)
{
    return openRegular(path, O_RDONLY, fd);
}

Result createNew(const std::string &path, std::string_view bytes)
{
    const size_t slash = path.rfind('/');
    const std::string folder = path.substr(0, slash + 1);
    // The first name free: another station's, or one left by a crash, is
    // never written into.
    std::string temporary;
    int fd = -1;
    for (int n = 0; fd < 0; ++n) {
        temporary = folder + "." + path.substr(slash + 1) + "." + std::to_string(n) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failure(errno);
    }
    int error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    // link() never replaces a name, and NFS does it on the server in one step.
    if (!error && ::link(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    ::unlink(temporary.c_str());
    if (error)
        return failure(error);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

Result openForAppend(const std::string &path, int &fd)
{
    return openRegular(path, O_RDWR | O_APPEND, fd);
}

Result lockExclusive(int fd, int timeoutMs, const std::function<void()> &whileWaiting)
{
    // One byte far past any data: readers are never held up, also where
    // locks are mandatory (a Windows server behind SMB).
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = off_t(1) << 62;
    lock.l_len = 1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::fcntl(fd, F_SETLK, &lock) != 0) {
        if (errno != EACCES && errno != EAGAIN && errno != EINTR)
            return {Outcome::NoLocking, std::strerror(errno)};
        if (std::chrono::steady_clock::now() >= deadline)
            return {Outcome::LockTimedOut, "von einer anderen Station gesperrt"};
        whileWaiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

Result lastByte(int fd, int &byte)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failure(errno);
    unsigned char last[1];
    byte = -1;
    if (st.st_size > 0 && ::pread(fd, last, sizeof last, st.st_size - 1) != 1)
        return failure(errno);
    if (st.st_size > 0)
        byte = last[0];
    return {};
}

Result appendBlock(int fd, std::string_view bytes)
{
    struct stat before {};
    if (::fstat(fd, &before) != 0)
        return failure(errno);
    int error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (!error)
        return {};
    // Nothing of a record that did not reach the disk whole stays behind.
    if (::ftruncate(fd, before.st_size) == 0)
        ::fsync(fd);
    return failure(error);
}

void closeFile(int fd)
{
    ::close(fd);
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

Result moveOver(const std::string &from, const std::string &to)
{
    struct stat seen {};
    int error = ::lstat(to.c_str(), &seen) == 0 && !S_ISREG(seen.st_mode) ? EISDIR : 0;
    if (!error && ::rename(from.c_str(), to.c_str()) != 0)
        error = errno;
    if (!error)
        return {};
    ::unlink(from.c_str());
    return failure(error);
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
