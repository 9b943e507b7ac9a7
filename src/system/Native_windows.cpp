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
    };
    for (const auto &reason : reasons) {
        if (std::count(reason.errors.begin(), reason.errors.end(), error))
            return {reason.outcome, reason.text};
    }
    wchar_t text[256] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                  nullptr, error, 0, text, 256, nullptr);
    while (length > 0 && (text[length - 1] == L' ' || text[length - 1] == L'.'))
        --length;
    return {Outcome::Failed, length ? utf8(std::wstring(text, length)) : "Fehler " + std::to_string(error)};
}

HANDLE handle(int fd)
{
    return HANDLE(_get_osfhandle(fd));
}

// Opening alone can act on a device, and a link or junction leads elsewhere:
// only what shows as a plain file is opened, a link as itself rather than
// its target, and checked again once open.
Result openRegular(const std::string &path, DWORD access, int crtFlags, int &fd)
{
    const Result notRegular{Outcome::NotRegularFile, "keine gewöhnliche Datei"};
    const std::wstring name = wide(path);
    const DWORD seen = GetFileAttributesW(name.c_str());
    if (seen == INVALID_FILE_ATTRIBUTES) {
        // A missing data folder counts as missing too, as on POSIX.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {Outcome::Missing, {}};
        return failure(error);
    }
    // Reserved names (NUL, COM1, also "con.txt") show as plain files; their
    // full path gives them away.
    std::wstring full(GetFullPathNameW(name.c_str(), 0, nullptr, nullptr), L'\0');
    GetFullPathNameW(name.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (seen & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)
        || full.starts_with(L"\\\\.\\"))
        return notRegular;
    const HANDLE file = CreateFileW(name.c_str(), access, shareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return failure(GetLastError());
    BY_HANDLE_FILE_INFORMATION now {};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &now)
        || now.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(file);
        return notRegular;
    }
    fd = _open_osfhandle(intptr_t(file), crtFlags | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        CloseHandle(file);
        return failure(ERROR_TOO_MANY_OPEN_FILES);
    }
    return {};
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

Result openForReading(const std::string &path, int &fd)
{
    return openRegular(path, GENERIC_READ, _O_RDONLY, fd);
}

Result createNew(const std::string &path, std::string_view bytes)
{
    const size_t slash = path.find_last_of("/\\");
    const std::string start = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".";
    // The first name free: another station's, or one left by a crash, is
    // never written into.
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int n = 0; file == INVALID_HANDLE_VALUE; ++n) {
        temporary = wide(start + std::to_string(n) + ".tmp");
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS)
            return failure(error);
    }
    DWORD error = writeAll(file, bytes);
    if (!error && !FlushFileBuffers(file))
        error = GetLastError();
    if (!CloseHandle(file) && !error)
        error = GetLastError();
    // Without MOVEFILE_REPLACE_EXISTING a taken name is never replaced, and a
    // share checks and renames on the server in one step.
    if (!error && !MoveFileExW(temporary.c_str(), wide(path).c_str(), MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) {
        DeleteFileW(temporary.c_str());
        return failure(error);
    }
    return {};
}

Result openForAppend(const std::string &path, int &fd)
{
    // Without FILE_WRITE_DATA every write lands at the end, however far
    // another station has moved it since this handle was opened.
    const DWORD access = FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    return openRegular(path, access, _O_APPEND, fd);
}

Result lockExclusive(int fd, int timeoutMs, const std::function<void()> &whileWaiting)
{
    // One byte far past any data, the one the POSIX stations lock: Windows
    // locks are mandatory, and readers must never be held up.
    OVERLAPPED at {};
    at.OffsetHigh = DWORD(1) << 30;
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(timeoutMs);
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
    while (!LockFileEx(handle(fd), flags, 0, 1, 0, &at)) {
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION)
            return {Outcome::NoLocking, failure(error).reason};
        if (GetTickCount64() >= deadline)
            return {Outcome::LockTimedOut, "von einer anderen Station gesperrt"};
        whileWaiting();
        Sleep(20);
    }
    return {};
}

Result lastByte(int fd, int &byte)
{
    LARGE_INTEGER size {};
    byte = -1;
    if (!GetFileSizeEx(handle(fd), &size))
        return failure(GetLastError());
    if (size.QuadPart == 0)
        return {};
    OVERLAPPED at {};
    at.Offset = DWORD(size.QuadPart - 1);
    at.OffsetHigh = DWORD((size.QuadPart - 1) >> 32);
    unsigned char c = 0;
    DWORD read = 0;
    if (!ReadFile(handle(fd), &c, 1, &read, &at) || read != 1)
        return failure(GetLastError());
    byte = c;
    return {};
}

Result appendBlock(int fd, std::string_view bytes)
{
    LARGE_INTEGER before {};
    if (!GetFileSizeEx(handle(fd), &before))
        return failure(GetLastError());
    DWORD error = writeAll(handle(fd), bytes);
    if (!error && !FlushFileBuffers(handle(fd)))
        error = GetLastError();
    if (!error)
        return {};
    // Nothing of a record that did not reach the disk whole stays behind; an
    // append handle cannot cut, so a second handle to the same file does.
    const HANDLE cutter = ReOpenFile(handle(fd), GENERIC_WRITE, shareAll, 0);
    if (cutter != INVALID_HANDLE_VALUE) {
        FILE_END_OF_FILE_INFO end {before};
        if (SetFileInformationByHandle(cutter, FileEndOfFileInfo, &end, sizeof end))
            FlushFileBuffers(cutter);
        CloseHandle(cutter);
    }
    return failure(error);
}

void closeFile(int fd)
{
    _close(fd);
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

Result moveOver(const std::string &from, const std::string &to)
{
    const std::wstring source = wide(from), target = wide(to);
    const DWORD seen = GetFileAttributesW(target.c_str());
    Result moved;
    if (seen != INVALID_FILE_ATTRIBUTES
        && seen & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        moved = {Outcome::NotRegularFile, "keine gewöhnliche Datei"};
    else if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        moved = failure(GetLastError());
    if (!moved.ok())
        DeleteFileW(source.c_str());
    return moved;
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
