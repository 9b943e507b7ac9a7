// The file functions of Native.h on the real file system: built natively, and
// for Windows cross-built and run under Wine (scripts/cross-build-windows.sh).
#include "system/Native.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
#ifdef _WIN32
#include <windows.h>
#include <winspool.h>
#endif

namespace fs = std::filesystem;
using Native::Outcome;

namespace {

int checks = 0;
int failures = 0;

#define CHECK(condition) \
    (void)(++checks && !(condition) && ++failures && std::printf("%s:%d: CHECK(%s) failed\n", __FILE__, __LINE__, #condition))

std::string readBack(const std::string &path)
{
    const Native::Opened opened = Native::openForReading(path);
    if (!opened.result.ok())
        return "<not opened>";
    char buffer[256]; // the files here are smaller
    const int n = read(opened.file.descriptor(), buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

} // namespace

int main()
{
    const auto none = [] {};
    const std::string unique = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const fs::path root = fs::temp_directory_path() / ("tst_native-" + unique);
    fs::create_directories(root / "Ordner");
    const std::u8string generic = root.generic_u8string();
    const std::string folder = std::string(generic.begin(), generic.end()) + "/";
    // An umlaut, as in most person names: the name must reach the disk as it is.
    const std::string person = folder + "Müller.txt";

    // A new file is created once, whole; any name the folder can hold.
    CHECK(Native::createNew(person, "Müller;1.80\r\n", 0, none).ok());
    CHECK(Native::createNew(person, "zweite Station", 0, none).outcome == Outcome::Exists);
    CHECK(readBack(person) == "Müller;1.80\r\n" && fs::exists(root / fs::path(u8"Müller.txt")));
    const std::string longest = folder + std::string(251, 'a') + ".txt";
    CHECK(Native::createNew(longest, "lang", 0, none).ok() && readBack(longest) == "lang");

    // Blocks go to the end, also through a handle opened before another
    // station's append; past 4 GiB the high half of the offset counts (a
    // sparse file).
    Native::Opened one = Native::openForAppend(person), other = Native::openForAppend(person);
    CHECK(Native::appendBlock(one.file, "1;2\r\n", true).ok() && Native::appendBlock(other.file, "3;4", true).ok());
    CHECK(Native::lastByte(one.file).byte == '4' && readBack(person) == "Müller;1.80\r\n1;2\r\n3;4");
    CHECK(Native::createNew(folder + "gross.txt", "x", 0, none).ok());
    fs::resize_file(folder + "gross.txt", 1ull << 32);
    other = Native::openForAppend(folder + "gross.txt");
    CHECK(Native::appendBlock(other.file, "\n", true).ok() && Native::lastByte(other.file).byte == '\n');
    one = {};
    other = {};

    // Only regular files open, for reading and for appending alike; a saved
    // printout takes the place of an older one, never of a folder or link.
#ifdef _WIN32
    // Wine says yes and makes none.
    const bool linked = CreateSymbolicLinkW((root / "link.txt").c_str(), L"gross.txt", SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)
                        && fs::is_symlink(root / "link.txt");
    const std::string device = folder + "nul.txt"; // a reserved name, in any folder
#else
    const bool linked = symlink("gross.txt", (folder + "link.txt").c_str()) == 0;
    const std::string device = "/dev/null";
#endif
    if (!linked)
        std::printf("tst_native: this system made no symbolic link; that check is skipped\n");
    for (auto open : {Native::openForReading, Native::openForAppend}) {
        CHECK(open(folder + "fehlt/x.txt").result.outcome == Outcome::Missing);
        CHECK(open(folder + "Ordner").result.outcome == Outcome::NotRegularFile);
        CHECK(open(device).result.outcome == Outcome::NotRegularFile);
        CHECK(!linked || open(folder + "link.txt").result.outcome == Outcome::NotRegularFile);
    }
    for (const std::string text : {"erster", "zweiter"})
        CHECK(Native::replaceWhole(folder + "alt.pdf", text, 0, none).ok() && readBack(folder + "alt.pdf") == text);
    for (const std::string taken : {"Ordner", "link.txt"}) {
        const Outcome refused = Native::replaceWhole(folder + taken, "neu", 0, none).outcome;
        CHECK((refused == Outcome::NotRegularFile || !linked) && !fs::exists(folder + Native::temporaryName(taken)));
    }
#ifdef _WIN32
    // A viewer or virus scanner holding the older printout for a moment is
    // waited for within the time given, and told when it holds on.
    for (const int waitMs : {0, 5000}) {
        const std::wstring older = LR"(\\?\)" + fs::path(folder + "alt.pdf").make_preferred().wstring();
        HANDLE viewer = CreateFileW(older.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        int waited = 0;
        const Native::Result saved = Native::replaceWhole(folder + "alt.pdf", "dritter", waitMs, [&] {
            if (++waited == 10)
                CloseHandle(std::exchange(viewer, INVALID_HANDLE_VALUE));
        });
        CHECK(saved.ok() == (waitMs > 0) && readBack(folder + "alt.pdf") == (waitMs > 0 ? "dritter" : "zweiter"));
        CHECK(!fs::exists(folder + Native::temporaryName("alt.pdf")));
        CloseHandle(viewer);
    }
    // Every path reached Windows in the form it takes past 260 characters,
    // the longest name's too; reserved names as the devices they are.
    CHECK(std::all_of(windowsPaths.begin(), windowsPaths.end(), [](const std::wstring &path) {
        return path.starts_with(LR"(\\?\)") || path.starts_with(LR"(\\.\)");
    }));
    CHECK(std::any_of(windowsPaths.begin(), windowsPaths.end(), [](const std::wstring &path) { return path.size() > MAX_PATH; }));
#endif

    std::error_code ignored;
    fs::remove_all(root, ignored);
    std::printf(failures ? "tst_native: %d of %d checks failed\n" : "tst_native: %d checks passed\n", failures ? failures : checks, checks);
    return failures ? 1 : 0;
}
