#pragma once

// What Qt does not do for the station, in one small file per operating system
// (Native_posix.cpp, Native_windows.cpp). Plain C++ only, so that each can be
// built and checked without Qt. Paths and reasons are UTF-8; reasons are
// German, for the user.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Native {

enum class Outcome { Done, Missing, Exists, NotRegularFile, LockTimedOut, NoLocking, Failed };

struct Result
{
    Outcome outcome = Outcome::Done;
    std::string reason;
    bool ok() const { return outcome == Outcome::Done; }
};

// An open file, closed when it goes out of scope; it moves, never copies.
class File
{
public:
    File() = default;
    explicit File(int descriptor) : m_descriptor(descriptor) {}
    File(File &&other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    File &operator=(File &&other) noexcept
    {
        std::swap(m_descriptor, other.m_descriptor);
        return *this;
    }
    ~File();
    // The C runtime's file descriptor, -1 when none is open.
    int descriptor() const { return m_descriptor; }
    explicit operator bool() const { return m_descriptor >= 0; }

private:
    int m_descriptor = -1;
};

// Both systems' answers when another station holds the file, and when a
// file shrinks while it is read.
inline const Result kHeld{Outcome::LockTimedOut, "von einer anderen Station gesperrt"};
inline const Result kShortened{Outcome::Failed, "die Datei wurde beim Lesen kürzer"};

struct Opened
{
    Result result;
    File file;
};

// Opens the regular file at the path for reading. A link, folder, FIFO or
// device is refused without being opened; Missing only when nothing is there.
Opened openForReading(const std::string &path);

// The name a new file is written under in its folder until it is whole: the
// same for that file on every station, and short, so that any name the
// folder can hold can be stored.
inline std::string temporaryName(std::string_view fileName)
{
    std::uint64_t hash = 14695981039346656037u; // FNV-1a
    for (const unsigned char c : fileName)
        hash = (hash ^ c) * 1099511628211u;
    char name[32];
    std::snprintf(name, sizeof name, ".bmi-%016llx.tmp", static_cast<unsigned long long>(hash));
    return name;
}

// Writes the bytes completely under the temporary name and then gives the
// file its name: nobody ever sees a half-written file. Another station's
// temporary file is waited for (removeLeftover). Once named, the file counts
// as written. Unless replace, a taken name fails with Exists, so that a
// second station never overwrites; with replace, the file takes the place of
// an older regular file (never of a link or folder), and of stations writing
// at once the last one's stays.
Result writeWhole(const std::string &path, std::string_view bytes, bool replace, int timeoutMs,
                  const std::function<void()> &whileWaiting);
inline Result createNew(const std::string &path, std::string_view bytes, int timeoutMs,
                        const std::function<void()> &whileWaiting)
{
    return writeWhole(path, bytes, false, timeoutMs, whileWaiting);
}
inline Result replaceWhole(const std::string &path, std::string_view bytes, int timeoutMs,
                           const std::function<void()> &whileWaiting)
{
    return writeWhole(path, bytes, true, timeoutMs, whileWaiting);
}

// Removes the temporary file of the path when a crash left it. One that a
// station still writes is waited for as a lock is, and left alone.
Result removeLeftover(const std::string &path, int timeoutMs, const std::function<void()> &whileWaiting);

// Opens the existing regular file at the path for appending (and reading).
Opened openForAppend(const std::string &path);

// Takes the stations' exclusive lock of the open file, held until it is
// closed. Polls until timeoutMs have passed (LockTimedOut), calling
// whileWaiting in between; NoLocking when the file system keeps no locks.
Result lockExclusive(const File &file, int timeoutMs, const std::function<void()> &whileWaiting);

// The file's last byte; none for an empty file.
struct LastByte
{
    Result result;
    std::optional<char> byte;
};
LastByte lastByte(const File &file);

// Writes the bytes at the end and flushes them to the disk. On failure the
// bytes already written are taken off again when mayCutBack (only under the
// lock: else they may be followed by another station's).
Result appendBlock(const File &file, std::string_view bytes, bool mayCutBack);

// Where person and assessment files lie, with a trailing separator.
std::string dataFolder();
// Characters that would make a name leave the folder or name something else.
std::string forbiddenNameCharacters();
// The command line that shuts the computer down.
std::vector<std::string> shutdownCommand();

// DefaultWritesFile: the default printer's driver asks for a file name
// (print to PDF or XPS), which would need a dialog.
enum class Printers { Default, NoDefault, None, ServiceUnreachable, DefaultWritesFile };
// What the print service offers; the name of the default printer.
Printers printers(std::string &defaultName);
#ifndef _WIN32
// Hands the PDF document to the printer as one job and says whether the print
// service took it.
Result printPdf(const std::string &printer, const std::string &title, std::string_view pdf);
#endif

} // namespace Native
