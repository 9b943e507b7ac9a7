// One of two stations on one data folder:
//   takeover_station <A|B> <persons> <take-overs per person> [anhalten]
// Says "bereit" and waits for a line so that both start together. Person i is
// "Zwei Stationen i"; each record's date is the station's letter and the
// take-over's number. With "anhalten" it stops before its first write into an
// empty file, says "angehalten" and goes on after the next line: the moment in
// which the other station may find the file being created.
#include "records/PersonFile.h"
#include "records/TakeOver.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
bool stopBeforeFirstWrite = false;
}

// Stands in for the C library's write() in this program (standard output does
// not come through here).
extern "C" ssize_t write(int fd, const void *bytes, size_t count)
{
    struct stat st {};
    if (stopBeforeFirstWrite && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0) {
        stopBeforeFirstWrite = false;
        std::cout << "angehalten" << std::endl;
        std::string goOn;
        std::getline(std::cin, goOn);
    }
    return ::syscall(SYS_write, fd, bytes, count);
}

int main(int argc, char **argv)
{
    if (argc != 4 && argc != 5)
        return 2;
    stopBeforeFirstWrite = argc == 5 && std::string(argv[4]) == "anhalten";
    const QString tag = QString::fromLocal8Bit(argv[1]);
    const bool stationA = tag == QLatin1String("A");
    std::cout << "bereit" << std::endl;
    std::string go;
    std::getline(std::cin, go);

    for (int n = 0; n < std::atoi(argv[3]); ++n) {
        for (int person = 0; person < std::atoi(argv[2]); ++person) {
            // Age and sex differ, so the header tells which station created the file.
            const auto plan = TakeOver::plan({"Zwei", QStringLiteral("Stationen %1").arg(person), stationA ? "35" : "36",
                                              stationA, !stationA, "1650", "60", tag + QString::number(n)});
            const auto stored = plan ? PersonFile::store(plan->filePath, plan->headerLine, plan->recordLine)
                                     : PersonFile::StoreResult{false, "no plan"};
            if (!stored.ok) {
                std::fprintf(stderr, "%s\n", qPrintable(stored.message));
                return 1;
            }
        }
    }
    return 0;
}
