#pragma once

// What Qt does not do for the station, in one small file per operating system
// (Native_posix.cpp, Native_windows.cpp). Plain C++ only, so that each can be
// built and checked without Qt. Paths and reasons are UTF-8; reasons are
// German, for the user.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Native {

enum class Outcome { Done, Missing, Exists, NotRegularFile, LockTimedOut, NoLocking, Failed };

struct Result
{
    Outcome outcome = Outcome::Done;
    std::string reason;
    bool ok() const { return outcome == Outcome::Done; }
};

// Opens the regular file at the path for reading. A link, folder, FIFO or
// device is refused without being opened; Missing only when nothing is there.
Result openForReading(const std::string &path, int &fd);

// Writes the bytes completely under a temporary name in the same folder and
// then gives the file its name, which fails with Exists when that name is
// taken: a second station never overwrites, nor sees a half-written file.
Result createNew(const std::string &path, std::string_view bytes);

// Opens the existing regular file at the path for appending (and reading).
Result openForAppend(const std::string &path, int &fd);

// Takes the stations' exclusive lock of the open file, released by closeFile.
// Polls until timeoutMs have passed (LockTimedOut), calling whileWaiting in
// between; NoLocking when the file system keeps no locks.
Result lockExclusive(int fd, int timeoutMs, const std::function<void()> &whileWaiting);

// The file's last byte, or -1 for an empty file.
Result lastByte(int fd, int &byte);

// Writes the bytes at the end and flushes them to the disk; on failure the
// bytes already written are taken off again.
Result appendBlock(int fd, std::string_view bytes);

void closeFile(int fd);

// Where person and assessment files lie, with a trailing separator.
std::string dataFolder();
// Characters that would make a name leave the folder or name something else.
std::string forbiddenNameCharacters();
// The command line that shuts the computer down.
std::vector<std::string> shutdownCommand();

// Gives the file `from` the name `to`, in place of an older regular file
// there; a link or folder at `to` is never replaced. `from` is removed when
// that fails.
Result moveOver(const std::string &from, const std::string &to);

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
