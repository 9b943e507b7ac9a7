// One of two stations working on one data folder ($HOME/Eigene Dateien/).
// Says "bereit", waits for a line on standard input so that both stations
// start together, then stores take-overs through the records layer:
//   takeover_station <A|B> <persons> <take-overs per person> [anhalten]
// Person i is "Zwei Stationen i"; each record's date text is the station's
// letter and the take-over's number, so the test can tell every line apart.
// With "anhalten" the station stops before its first write into a still
// empty file, says "angehalten" and goes on after the next input line: the
// moment in which another station may find the file it is creating.
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

// Stands in for the C library's write() for the records layer linked into
// this program; standard output does not come through here.
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
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: takeover_station <A|B> <persons> <take-overs per person> [anhalten]\n");
        return 2;
    }
    stopBeforeFirstWrite = argc == 5 && std::string(argv[4]) == "anhalten";
    const QString tag = QString::fromLocal8Bit(argv[1]);
    const int persons = std::atoi(argv[2]);
    const int takeOvers = std::atoi(argv[3]);
    const bool stationA = tag == QLatin1String("A");

    std::cout << "bereit" << std::endl;
    std::string go;
    std::getline(std::cin, go);

    for (int n = 0; n < takeOvers; ++n) {
        for (int person = 0; person < persons; ++person) {
            // The stations differ in age and sex, so the header tells which one created the file.
            const auto plan = TakeOver::plan({QStringLiteral("Zwei"), QStringLiteral("Stationen %1").arg(person),
                                              stationA ? QStringLiteral("35") : QStringLiteral("36"), stationA,
                                              !stationA, QStringLiteral("1650"), QStringLiteral("60"),
                                              tag + QString::number(n)});
            if (!plan)
                return 3;
            const auto stored = PersonFile::store(plan->filePath, plan->headerLine, plan->recordLine);
            if (!stored.ok) {
                std::fprintf(stderr, "%s\n", qPrintable(stored.message));
                return 1;
            }
        }
    }
    return 0;
}
