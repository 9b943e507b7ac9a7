#include "system/Native.h"

#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <winspool.h>

namespace Native {

namespace {

const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring wide(const std::string &text)
{
    // UTF-16 never takes more units than UTF-8 takes bytes.
    std::wstring result(text.size(), L'\0');
    result.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), result.data(),
                                      int(result.size())));
    return result;
}

std::string utf8(const std::wstring &text)
{
    std::string result(text.size() * 3, '\0');
    result.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), result.data(),
                                      int(result.size()), nullptr, nullptr));
    return result;
}

Result failure(DWORD error)
{
    static const struct { std::vector<DWORD> errors; Outcome outcome; const char *text; } reasons[] = {
        {{ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_DRIVE, ERROR_BAD_NETPATH, ERROR_BAD_NET_NAME},
         Outcome::Failed, "Ordner oder Datei nicht vorhanden"},
        {{ERROR_ACCESS_DENIED, ERROR_NETWORK_ACCESS_DENIED}, Outcome::Failed, "keine Berechtigung"},
        {{ERROR_WRITE_PROTECT}, Outcome::Failed, "Datenträger ist schreibgeschützt"},
        // 1295: ERROR_DISK_QUOTA_EXCEEDED, not in MinGW's headers
        {{ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, 1295}, Outcome::Failed, "kein Speicherplatz mehr auf dem Datenträger"},
        {{ERROR_FILENAME_EXCED_RANGE}, Outcome::Failed, "Dateiname zu lang"},
        {{ERROR_FILE_TOO_LARGE}, Outcome::Failed, "Datei zu groß"},
        {{ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS}, Outcome::Exists, "Datei existiert bereits"},
        {{ERROR_DIRECTORY}, Outcome::NotRegularFile, "keine gewöhnliche Datei"},
        // Wine answers a Linux EIO with ERROR_NOT_READY.
        {{ERROR_CRC, ERROR_SEEK, ERROR_READ_FAULT, ERROR_WRITE_FAULT, ERROR_GEN_FAILURE, ERROR_IO_DEVICE, ERROR_NOT_READY},
         Outcome::Failed, "Ein-/Ausgabefehler"},
        {{ERROR_NOT_LOCKED, ERROR_LOCK_FAILED}, Outcome::Failed, "keine Sperre verfügbar"},
        {{ERROR_NETNAME_DELETED, ERROR_UNEXP_NET_ERR, ERROR_NETWORK_UNREACHABLE, ERROR_SEM_TIMEOUT},
         Outcome::Failed, "Dateiserver nicht erreichbar"},
        {{ERROR_TOO_MANY_OPEN_FILES}, Outcome::Failed, "zu viele offene Dateien"},
        {{ERROR_SHARING_VIOLATION}, Outcome::Failed, "Datei wird gerade benutzt"},
    };
    for (const auto &reason : reasons) {
        if (std::count(reason.errors.begin(), reason.errors.end(), error))
            return {reason.outcome, reason.text};
    }
    return {Outcome::Failed, "Systemfehler " + std::to_string(error)};
}

HANDLE handle(const File &file)
{
    return HANDLE(_get_osfhandle(file.descriptor()));
}

// The full path in the \\?\ form, which Windows takes as it is: past 260
// characters too, whatever the system's long-path setting. A reserved name
// (NUL, COM1, also "con.txt") keeps the device path it stands for.
std::wstring systemPath(const std::string &path)
{
    const std::wstring name = wide(path);
    std::wstring full(GetFullPathNameW(name.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(GetFullPathNameW(name.c_str(), DWORD(full.size()), full.data(), nullptr));
    if (full.empty() || full.starts_with(L"\\\\.\\") || full.starts_with(L"\\\\?\\"))
        return full.empty() ? name : full;
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC" + full.substr(1);
    return L"\\\\?\\" + full;
}

bool isDevice(const std::wstring &systemPath)
{
    return systemPath.starts_with(L"\\\\.\\");
}

// Opening alone can act on a device, and a link or junction leads elsewhere:
// only what shows as a plain file is opened, a link as itself rather than
// its target, and checked again once open.
Opened openRegular(const std::string &path, DWORD access, int crtFlags)
{
    const Result notRegular{Outcome::NotRegularFile, "keine gewöhnliche Datei"};
    const std::wstring name = systemPath(path);
    // A reserved name shows as a plain file; its full path gives it away.
    if (isDevice(name))
        return {notRegular, {}};
    const DWORD seen = GetFileAttributesW(name.c_str());
    if (seen == INVALID_FILE_ATTRIBUTES) {
        // A missing data folder counts as missing too, as on POSIX.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {{Outcome::Missing, {}}, {}};
        return {failure(error), {}};
    }
    if (seen & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        return {notRegular, {}};
    const HANDLE opened = CreateFileW(name.c_str(), access, shareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return {failure(GetLastError()), {}};
    File file(_open_osfhandle(intptr_t(opened), crtFlags | _O_BINARY | _O_NOINHERIT));
    if (!file) {
        CloseHandle(opened);
        return {failure(ERROR_TOO_MANY_OPEN_FILES), {}};
    }
    BY_HANDLE_FILE_INFORMATION now {};
    if (GetFileType(opened) != FILE_TYPE_DISK || !GetFileInformationByHandle(opened, &now)
        || now.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        return {notRegular, {}};
    return {{}, std::move(file)};
}

// Another station is busy: false once the deadline has passed, else true
// after whileWaiting and a short pause.
bool waitedAgain(ULONGLONG deadline, const std::function<void()> &whileWaiting)
{
    if (GetTickCount64() >= deadline)
        return false;
    whileWaiting();
    Sleep(20);
    return true;
}

// A virus scanner or the indexer holding a new file open for a moment makes
// a rename or delete fail: it is waited for like another station. The error
// that stays, 0 when the call succeeded.
DWORD whenFree(int timeoutMs, const std::function<void()> &whileWaiting, const std::function<BOOL()> &call)
{
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(timeoutMs);
    for (;;) {
        if (call())
            return 0;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || !waitedAgain(deadline, whileWaiting))
            return error;
    }
}

DWORD writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size(), 1 << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        bytes.remove_prefix(written);
    }
    return 0;
}

} // namespace

File::~File()
{
    // Every write that counts was flushed to the disk before.
    if (m_descriptor >= 0)
        _close(m_descriptor);
}

Opened openForReading(const std::string &path)
{
    return openRegular(path, GENERIC_READ, _O_RDONLY);
}

namespace {

std::wstring temporaryPath(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    return systemPath(path.substr(0, slash + 1) + temporaryName(path.substr(slash + 1)));
}

} // namespace

Result writeWhole(const std::string &path, std::string_view bytes, bool replace, int timeoutMs,
                  const std::function<void()> &whileWaiting)
{
    // A name holds at most 255 UTF-16 units; Wine answers a longer one as
    // if the folder were missing.
    if (wide(path.substr(path.find_last_of("/\\") + 1)).size() > 255)
        return failure(ERROR_FILENAME_EXCED_RANGE);
    const std::wstring temporary = temporaryPath(path);
    // Each round either writes, or finds the name taken and frees it: only
    // stations that keep starting anew can use them up.
    for (int round = 0; round < 10; ++round) {
        const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD error = GetLastError();
        if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS)
            return failure(error);
        const Result freed = file != INVALID_HANDLE_VALUE ? Result{} : removeLeftover(path, timeoutMs, whileWaiting);
        if (!freed.ok())
            return freed;
        if (file == INVALID_HANDLE_VALUE)
            continue;

        error = writeAll(file, bytes);
        if (!error && !FlushFileBuffers(file))
            error = GetLastError();
        CloseHandle(file);
        // Without MOVEFILE_REPLACE_EXISTING a taken name is never replaced,
        // and a share checks and renames on the server in one step; a link,
        // folder or device is never replaced. Taken for a crash's meanwhile,
        // the file is written anew.
        const std::wstring target = systemPath(path);
        const DWORD seen = replace ? GetFileAttributesW(target.c_str()) : INVALID_FILE_ATTRIBUTES;
        if (!error && (isDevice(target) || (seen != INVALID_FILE_ATTRIBUTES
            && seen & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))))
            error = ERROR_DIRECTORY;
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        if (!error)
            error = whenFree(timeoutMs, whileWaiting, [&] { return MoveFileExW(temporary.c_str(), target.c_str(), flags); });
        if (error == ERROR_FILE_NOT_FOUND && GetFileAttributesW(temporary.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (error) {
            whenFree(timeoutMs, whileWaiting, [&] { return DeleteFileW(temporary.c_str()); });
            return failure(error);
        }
        return {};
    }
    return kHeld;
}

Result removeLeftover(const std::string &path, int timeoutMs, const std::function<void()> &whileWaiting)
{
    // A station keeps its temporary file open for nobody else from first to
    // last byte: one that opens for nobody else was left by a crash, and
    // goes when closed.
    const std::wstring temporary = temporaryPath(path);
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(timeoutMs);
    for (;;) {
        const HANDLE left = CreateFileW(temporary.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        const DWORD error = GetLastError();
        if (left != INVALID_HANDLE_VALUE)
            CloseHandle(left);
        if (left != INVALID_HANDLE_VALUE || error == ERROR_FILE_NOT_FOUND)
            return {};
        if (error != ERROR_SHARING_VIOLATION)
            return failure(error);
        if (!waitedAgain(deadline, whileWaiting))
            return kHeld;
    }
}

Opened openForAppend(const std::string &path)
{
    // Without FILE_WRITE_DATA every write lands at the end, however far
    // another station has moved it since this handle was opened.
    const DWORD access = FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    return openRegular(path, access, _O_APPEND);
}

Result lockExclusive(const File &file, int timeoutMs, const std::function<void()> &whileWaiting)
{
    // One byte far past any data, the one the POSIX stations lock: Windows
    // locks are mandatory, and readers must never be held up.
    OVERLAPPED at {};
    at.OffsetHigh = DWORD(1) << 30;
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(timeoutMs);
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
    while (!LockFileEx(handle(file), flags, 0, 1, 0, &at)) {
        const DWORD error = GetLastError();
        // Only a file system that keeps no locks at all goes on without.
        if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
            return {Outcome::NoLocking, {}};
        if (error != ERROR_LOCK_VIOLATION)
            return failure(error);
        if (!waitedAgain(deadline, whileWaiting))
            return kHeld;
    }
    return {};
}

LastByte lastByte(const File &file)
{
    LARGE_INTEGER size {};
    if (!GetFileSizeEx(handle(file), &size))
        return {failure(GetLastError()), {}};
    if (size.QuadPart == 0)
        return {};
    OVERLAPPED at {};
    at.Offset = DWORD(size.QuadPart - 1);
    at.OffsetHigh = DWORD((size.QuadPart - 1) >> 32);
    char last = 0;
    DWORD read = 0;
    if (!ReadFile(handle(file), &last, sizeof last, &read, &at))
        return {failure(GetLastError()), {}};
    if (read == 0)
        return {kShortened, {}};
    return {{}, last};
}

Result appendBlock(const File &file, std::string_view bytes, bool mayCutBack)
{
    LARGE_INTEGER before {};
    if (!GetFileSizeEx(handle(file), &before))
        return failure(GetLastError());
    DWORD error = writeAll(handle(file), bytes);
    if (!error && !FlushFileBuffers(handle(file)))
        error = GetLastError();
    if (!error)
        return {};
    if (!mayCutBack)
        return failure(error);
    // Nothing of a record that did not reach the disk whole stays behind; an
    // append handle cannot cut, so a second handle to the same file does.
    const HANDLE cutter = ReOpenFile(handle(file), GENERIC_WRITE, shareAll, 0);
    if (cutter != INVALID_HANDLE_VALUE) {
        FILE_END_OF_FILE_INFO end {before};
        if (SetFileInformationByHandle(cutter, FileEndOfFileInfo, &end, sizeof end))
            FlushFileBuffers(cutter);
        CloseHandle(cutter);
    }
    return failure(error);
}

std::string dataFolder()
{
    return "c:/Eigene Dateien/";
}

std::string forbiddenNameCharacters()
{
    return "\\/:*?\"<>|";
}

std::vector<std::string> shutdownCommand()
{
    return {"shutdown.exe", "/s", "/t", "0"};
}

namespace {

// Print to PDF or XPS, or a port that is a file: the driver asks for the
// file's name in a dialog.
bool writesFile(const PRINTER_INFO_2W &printer)
{
    const auto starts = [](const wchar_t *text, const wchar_t *start) {
        return text && _wcsnicmp(text, start, wcslen(start)) == 0;
    };
    return starts(printer.pPortName, L"PORTPROMPT:") || starts(printer.pPortName, L"FILE:")
        || starts(printer.pDriverName, L"Microsoft Print To PDF")
        || starts(printer.pDriverName, L"Microsoft XPS Document Writer");
}

} // namespace

Printers printers(std::string &defaultName)
{
    // Asking for no bytes tells whether the print service answers at all.
    DWORD needed = 0, count = 0;
    const DWORD kinds = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    if (!EnumPrintersW(kinds, nullptr, 2, nullptr, 0, &needed, &count)
        && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return Printers::ServiceUnreachable;
    std::vector<BYTE> buffer(needed);
    if (needed > 0 && !EnumPrintersW(kinds, nullptr, 2, buffer.data(), needed, &needed, &count))
        count = 0;
    DWORD length = 0;
    GetDefaultPrinterW(nullptr, &length);
    std::wstring name(length, L'\0');
    if (length == 0 || !GetDefaultPrinterW(name.data(), &length))
        return needed > 0 ? Printers::NoDefault : Printers::None;
    name.resize(wcslen(name.c_str()));
    defaultName = utf8(name);
    const auto *printer = reinterpret_cast<const PRINTER_INFO_2W *>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (_wcsicmp(printer[i].pPrinterName, name.c_str()) == 0 && writesFile(printer[i]))
            return Printers::DefaultWritesFile;
    }
    return Printers::Default;
}

} // namespace Native
