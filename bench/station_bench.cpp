// Measures the station against its performance targets, side by side in one
// run, and prints one table: each figure, its ratio and its target.
//   station-bench --program PATH --bare PATH --work DIR
#include "app/Form1.h"
#include "app/Startup.h"
#include "toolkit/MessageBox.h"
#include "toolkit/SystemPrinter.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QPushButton>
#include <QLineEdit>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

struct Row
{
    QString what;
    QString figure;
    QString ratio;
    QString target;
    bool met;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// Runs a and b alternately so that drift on a noisy machine hits both alike.
std::pair<double, double> sideBySide(int rounds, const std::function<double()> &a, const std::function<double()> &b)
{
    QList<double> ta, tb;
    for (int i = 0; i < rounds; ++i) {
        ta << a();
        tb << b();
    }
    return {median(ta), median(tb)};
}

double millis(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

double startUp(const QString &program, const QString &platform)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", platform);
    env.insert("BMI_PONDRA_EXIT_AFTER_FIRST_PAINT", "1");
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    process.waitForFinished(30000);
    return timer.nsecsElapsed() / 1e6;
}

void writeHistory(const QString &path, qint64 records)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write("Bench Person  m\xE4nnlich 30Jahre\r\n\r\n");
    QByteArray chunk;
    for (qint64 i = 0; i < records; ++i) {
        chunk += "  06.12.2026    " + QByteArray::number(60 + i % 40) + "kg    1800mm     BMI: "
            + QByteArray::number(18 + i % 25) + "\r\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
}

// CPU time (user + system) a running process has used so far, from /proc.
double processCpuMillis(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// The station left alone after start-up: how much CPU it uses in two seconds.
double idleCpuMillis(const QString &program)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(program, {});
    if (!process.waitForStarted(10000))
        return -1;
    QThread::msleep(1500); // let it start up and paint
    const double before = processCpuMillis(process.processId());
    QThread::msleep(2000);
    const double after = processCpuMillis(process.processId());
    process.kill();
    process.waitForFinished(5000);
    return before < 0 || after < 0 ? -1 : after - before;
}

qint64 residentBytes()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

int activeTimers()
{
    auto *dispatcher = QAbstractEventDispatcher::instance();
    int count = 0;
    std::function<void(QObject *)> walk = [&](QObject *o) {
        count += dispatcher->registeredTimers(o).size();
        for (QObject *child : o->children())
            walk(child);
    };
    walk(qApp);
    for (QWidget *w : QApplication::topLevelWidgets())
        walk(w);
    return count;
}

QString fmt(double v, int decimals = 2)
{
    return QString::number(v, 'f', decimals);
}

Row ratioRow(const QString &what, double measured, double base, const QString &baseName, double target)
{
    const double ratio = base > 0 ? measured / base : 0;
    return {what, QStringLiteral("%1 ms vs %2 ms %3").arg(fmt(measured), fmt(base), baseName), fmt(ratio),
            QStringLiteral("≤ %1").arg(target), ratio <= target};
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"program", "the station program", "path"},
                       {"bare", "the bare window program", "path"},
                       {"work", "a temporary folder for the large files", "dir"},
                       {"rounds", "rounds per side-by-side figure", "n", "15"}});
    parser.process(app);
    const int rounds = parser.value("rounds").toInt();
    const QString work = parser.value("work");

    // The program's data folder lives under $HOME.
    qputenv("HOME", work.toLocal8Bit());
    const QString data = work + "/Eigene Dateien/";
    QDir().mkpath(data);
    for (int n = 0; n < 6; ++n)
        QFile::copy(QStringLiteral(BMI_SAMPLES_DIR "/bmi%1.txt").arg(n), data + QStringLiteral("bmi%1.txt").arg(n));

    QList<Row> rows;
    QTextStream out(stdout);

    // On an X server (bench.sh starts Xvfb), as a station starts: offscreen,
    // the first letter drawn costs a font set-up the bare window never pays.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        rows << Row{"start to first shown window (X11)", "no X display: run it through bench.sh", "", "≤ 1.25", false};
    } else {
        const auto [station, bare] = sideBySide(rounds, [&] { return startUp(parser.value("program"), "xcb"); },
                                                [&] { return startUp(parser.value("bare"), "xcb"); });
        rows << ratioRow("start to first shown window (X11)", station, bare, "(bare window)", 1.25);
    }

    writeHistory(data + "Big Record.txt", 1000000);
    writeHistory(data + "Small Record.txt", 1);
    writeHistory(data + "Big Chart.txt", 1000000);
    writeHistory(data + "Small Chart.txt", 1); // header, empty line, one record: three lines
    writeHistory(data + "Big Table.txt", 999998); // 1,000,000 lines with header and empty line
    writeHistory(data + "Report Person.txt", 10000);
    ::sync(); // no write-back of the new files inside the measurements

    Startup::prepare(app);
    MessageBox::answerWith([](const QString &) { return MessageBox::Ok; });
    Form1 window(&SystemPrinter::open);
    window.show();
    QCoreApplication::processEvents();
    const qint64 residentBefore = residentBytes();

    auto field = [&](const char *name) { return window.findChild<QLineEdit *>(QLatin1String(name)); };
    auto press = [&](const char *name, const QString &first, const QString &last) {
        field("text")->setText(first);
        field("Text7")->setText(last);
        field("Text5")->setText("30");
        field("Text2")->setText("1800");
        field("Text1")->setText("80");
        return millis([&] {
            window.findChild<QPushButton *>(QLatin1String(name))->click();
            QCoreApplication::processEvents();
        });
    };

    {
        const auto [big, small] = sideBySide(rounds * 2, [&] { return press("Command2", "Big", "Record"); },
                                             [&] { return press("Command2", "Small", "Record"); });
        rows << ratioRow("take-over, 1,000,000-record file", big, small, "(1 record)", 1.1);
    }
    {
        const auto [big, small] = sideBySide(rounds * 2, [&] { return press("Command1", "Big", "Chart"); },
                                             [&] { return press("Command1", "Small", "Chart"); });
        rows << ratioRow("chart, 1,000,000-record file", big, small, "(3 lines)", 1.1);
    }
    {
        // The yardstick reads the same file and decodes all of it, through a
        // table of the 256 characters Qt's own converter gives the bytes.
        const QString tablePath = data + "Big Table.txt";
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        const QString windows1252 = QStringDecoder("windows-1252").decode(bytes);
        const auto [table, alone] = sideBySide(rounds, [&] { return press("Command5", "Big", "Table"); },
                                               [&] {
                                                   return millis([&] {
                                                       QFile f(tablePath);
                                                       f.open(QIODevice::ReadOnly);
                                                       const QByteArray read = f.readAll();
                                                       QString text(read.size(), Qt::Uninitialized);
                                                       QChar *out = text.data();
                                                       for (const char b : read)
                                                           *out++ = windows1252[uchar(b)];
                                                   });
                                               });
        rows << ratioRow("table, 1,000,000-line file", table, alone, "(read + decode alone)", 3);

        // The window answers input again once the press is done.
        bool answered = false;
        QMetaObject::invokeMethod(&window, [&] { answered = true; }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        rows << Row{"window answers after the table", answered ? "yes" : "no", "", "yes", answered};

        const double fileBytes = QFileInfo(tablePath).size();
        const double above = residentBytes() - residentBefore;
        rows << Row{"memory after listing 1,000,000 lines",
                    QStringLiteral("%1 MB above the window, file %2 MB").arg(fmt(above / 1e6, 1), fmt(fileBytes / 1e6, 1)),
                    fmt(above / fileBytes), "≤ 3", above / fileBytes <= 3};
    }
    {
        QFile::remove(data + "Report Person.pdf");
        const double ms = press("Command3", "Report", "Person");
        QString pages = "?";
        QProcess info;
        info.start("pdfinfo", {data + "Report Person.pdf"});
        if (info.waitForFinished(10000)) {
            for (const QByteArray &line : info.readAllStandardOutput().split('\n'))
                if (line.startsWith("Pages:"))
                    pages = QString::fromLatin1(line.mid(6).trimmed());
        }
        rows << Row{"printed report, 10,000 record lines to PDF",
                    QStringLiteral("%1 lines/s, %2 pages").arg(fmt(10002 / (ms / 1000), 0), pages), "", "reported",
                    QFileInfo::exists(data + "Report Person.pdf")};
    }
    {
        const int timers = activeTimers();
        const double cpu = idleCpuMillis(parser.value("program"));
        rows << Row{"idle for 2 s", QStringLiteral("%1 timers, %2 ms CPU").arg(timers).arg(fmt(cpu, 1)), "",
                    "no timers, no CPU", timers == 0 && cpu >= 0 && cpu < 20};
    }

    bool allMet = true;
    out << QStringLiteral("| what | figure | ratio | target | met |\n|---|---|---|---|---|\n");
    for (const Row &row : rows) {
        out << "| " << row.what << " | " << row.figure << " | " << row.ratio << " | " << row.target << " | "
            << (row.met ? "yes" : "NO") << " |\n";
        allMet = allMet && row.met;
    }
    out.flush();
    return allMet ? 0 : 1;
}
