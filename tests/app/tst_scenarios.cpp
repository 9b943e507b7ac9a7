// Each file in scenarios/ is one visit to the station: what the data folder
// holds and what a person does, then, after "--- expected", everything the
// station shows afterwards: fields, focus, list, the printer's calls and the
// message boxes in order, what changed in the data folder, which watched
// entries were opened; the drawn chart, a printed PDF's first page and, on
// the step "window", the whole window are PNGs beside the file.
// BMI_UPDATE_EXPECTED=1 writes what the program does now in place of the
// expected part and fails, for a person to review it and run again.
// A line marked "(Linux) " or "(Windows) ", step or expected, belongs to that
// system only; "system Linux" makes a whole scenario Linux's.
#include "app/Form1.h"
#include "app/Startup.h"
#include "toolkit/DrawingSurface.h"
#include "toolkit/ListBox.h"
#include "toolkit/MessageBox.h"
#include "system/Native.h"
#include "toolkit/SystemPrinter.h"
#include "records/PersonFile.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

#ifdef Q_OS_WIN
#include <windows.h>
#include <winspool.h>
#undef MessageBox // the station's own
#endif
#ifdef Q_OS_LINUX
#include <cups/cups.h>

#include <sched.h>
#include <sys/fsuid.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace {

const QString kExpected = u"--- expected\n"_s;
const bool kInCi = qgetenv("CI") == "true";
// The fields a person types into, in the order a step "enter" gives them.
const QStringList kFields{u"text"_s, u"Text7"_s, u"Text5"_s, u"Text2"_s, u"Text1"_s, u"Text3"_s};
const QString kSystem = QSysInfo::productType() == u"windows"_s ? u"Windows"_s : u"Linux"_s;

// What stops a visit: something this machine lacks (a skip, which fails
// under CI), or a fault of the scenario or of a tool it runs.
struct Stop
{
    QString why;
    bool missing = false;
};

// This system's lines of a scenario without their mark, another system's
// left out.
QString forThisSystem(QString text)
{
    const auto lines = [](const QString &pattern) { return QRegularExpression(pattern.arg(kSystem), QRegularExpression::MultilineOption); };
    return text.remove(lines(u"^\\((?!%1\\))\\w+\\) .*\n"_s)).remove(lines(u"^\\(%1\\) "_s));
}

// File bytes in a scenario: printable ASCII as it is, the rest escaped
// (\r, \n, \xHH); scenarios hold no per cent sign of their own.
QByteArray unescape(const QString &text)
{
    return QByteArray::fromPercentEncoding(text.toUtf8().replace("\\r", "%0D").replace("\\n", "%0A").replace("\\x", "%"));
}

// Dumps are plain text: control characters as \xHH; file bytes (as
// Latin-1) also line ends as \r and \n, and backslashes and bytes past ASCII.
QString escape(const QString &text, bool bytes = false)
{
    QString shown;
    for (const QChar c : text) {
        if (bytes && (c == u'\r' || c == u'\n'))
            shown += c == u'\r' ? u"\\r"_s : u"\\n"_s;
        else if ((c.category() == QChar::Other_Control && c != u'\n') || (bytes && (c == u'\\' || c.unicode() > 0x7e)))
            shown += u"\\x%1"_s.arg(int(c.unicode()), 2, 16, QChar(u'0'));
        else
            shown += c;
    }
    return shown;
}

// Today's date as the station writes it in German, by each system's own
// short form (under Wine without leading zeros), and in English (US); any
// other form stays as it is, and differs.
QString today(QString text)
{
    const QDate now = QDate::currentDate();
    return text.replace(now.toString(kSystem == u"Windows"_s ? u"d.M.yyyy" : u"dd.MM.yyyy"), u"<heute>"_s)
        .replace(now.toString(u"M/d/yyyy"), u"<heute M/d/yyyy>"_s);
}

QString quoted(const QString &text)
{
    if (text.size() > 1000) // a line of megabytes by its ends
        return quoted(text.first(100)) + u" ... %1 characters ... "_s.arg(text.size()) + quoted(text.last(100));
    return u'"' + escape(text).replace(u'\n', u"\\x0a"_s) + u'"';
}

#ifdef Q_OS_WIN
const wchar_t *const kFilePrinter = L"Datei"; // a default printer that writes into a file
#endif

// Under Wine the Linux root is the drive Z:, and Linux programs run as they are.
const QString kHostRoot = kSystem == u"Windows"_s ? u"Z:"_s : QString();

// A file as the Linux tools see it: under Wine, C: is the prefix's drive_c.
QString hostPath(QString path)
{
    if (kSystem == u"Windows"_s)
        path = QDir::fromNativeSeparators(path).replace(QRegularExpression(u"^[Zz]:"_s), QString())
                   .replace(QRegularExpression(u"^[Cc]:"_s), qEnvironmentVariable("WINEPREFIX") + u"/drive_c"_s);
    return path;
}

// Runs a Linux program and gives what it wrote. Under Wine it runs beside
// the test rather than as a child that can be waited for: on both systems
// it leaves its output and exit status in a file that appears when it ends.
// What a shell cannot do here (mount or make a device without root) is
// missing on this machine.
QString tool(const QString &name, const QStringList &args)
{
    const QTemporaryDir files;
    QFile result(files.filePath(u"result"_s));
    const QStringList script{u"-c"_s, u"r=$1; shift; { \"$@\" 2>&1; printf '\\n%s' $?; } >\"$r.new\"; /bin/mv \"$r.new\" \"$r\""_s, u"sh"_s,
                             hostPath(result.fileName()), u"/usr/bin/"_s + name};
    const bool started = QProcess::startDetached(kHostRoot + u"/bin/sh"_s, script + args);
    const bool done = started && QTest::qWaitFor([&] { return result.exists(); }, 60000) && result.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(result.readAll());
    if (!done || text.section(u'\n', -1) != u"0"_s)
        throw Stop{u"%1 %2: %3"_s.arg(name, args.join(u' '), done ? text : u"did not end"_s), !started || name == u"sh"_s};
    return text.section(u'\n', 0, -2);
}

// Runs a shell command in a folder, with the system's commands.
void shell(const QString &folder, const QString &command)
{
    tool(u"sh"_s, {u"-c"_s, u"cd \"$1\" && PATH=/usr/sbin:/usr/bin:/bin && "_s + command, u"sh"_s, hostPath(folder)});
}

#ifdef Q_OS_LINUX
// What the process has read so far through read() and its kin, cached or not.
qint64 bytesRead()
{
    QFile io(u"/proc/self/io"_s);
    return io.open(QIODevice::ReadOnly) ? io.readLine().mid(qstrlen("rchar: ")).trimmed().toLongLong() : 0;
}
#endif

// Prints nothing; logs every call into the station's events, or only the
// kinds listed (step "calls"), a text line with the print position it starts
// at (by the printer's rule, with lines of 20 twips per point).
class RecordingPrinter : public Printer
{
public:
    RecordingPrinter(QStringList &log, QString outcome, QStringList listed)
        : m_log(log), m_outcome(std::move(outcome)), m_listed(std::move(listed)) {}
    void setFontSize(qreal points) override { log(u"font size %1"_s.arg(m_points = points), m_position); }
    void setDrawWidth(int pixels) override { log(u"draw width %1"_s.arg(pixels), m_position); }
    void printLine(const QString &text) override { log(u"text %1 at %2"_s.arg(quoted(text), point(m_position)), {0, m_position.y() + 20 * m_points}); }
    void segment(float x1, float y1, float x2, float y2) override { log(u"segment %1 %2"_s.arg(point({x1, y1}), point({x2, y2})), {x2, y2}); }
    void box(float x1, float y1, float x2, float y2, const QColor &outline) override
    {
        log(u"box %1 %2 %3"_s.arg(point({x1, y1}), point({x2, y2}), outline.name()), {x2, y2});
    }
    QString endDocument() override { return log(u"end document"_s, m_position), m_outcome; }

private:
    static QString point(QPointF p) { return u"(%1, %2)"_s.arg(p.x()).arg(p.y()); }
    void log(const QString &call, QPointF moveTo)
    {
        if (m_listed.isEmpty() || m_listed.contains(call.section(u' ', 0, 0)))
            m_log << call;
        m_position = moveTo;
    }
    QStringList &m_log;
    QString m_outcome;
    QStringList m_listed;
    qreal m_points = 10;
    QPointF m_position;
};

// A throw-away home with the data folder in it ($HOME points there, PATH at
// its bin/, empty but for stand-ins), and the real window on it, offscreen.
// Printing goes through a recorder into `events`, and so do the texts of the
// message boxes, which are answered without being shown.
struct Station
{
    QTemporaryDir home;
    QString data; // in the home on Linux, fixed on Windows
    QStringList events;
    QString printOutcome;
    QStringList printerCalls; // listed, all when empty
    QString document; // the last one printed
    bool systemPrinter = false;
#ifdef Q_OS_LINUX
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
#endif
    std::unique_ptr<Form1> window;

    Station()
    {
        qunsetenv("CUPS_SERVER");
        qunsetenv("LPDEST");
        qputenv("HOME", QFile::encodeName(home.path()));
        data = QString::fromStdString(Native::dataFolder());
#ifdef Q_OS_LINUX
        qputenv("PATH", QFile::encodeName(home.path() + u"/bin"_s));
#else
        // Only the DLLs' folders: the system's shutdown command is never found.
        const QString system = QDir::fromNativeSeparators(qEnvironmentVariable("SystemRoot"));
        QStringList path = qEnvironmentVariable("PATH").split(u';');
        path.removeIf([&](const QString &dir) { return QDir::fromNativeSeparators(dir).startsWith(system, Qt::CaseInsensitive); });
        qputenv("PATH", path.join(u';').toLocal8Bit());
#endif
        QDir(home.path()).mkpath(u"bin"_s);
        QDir(data).removeRecursively();
        QDir(home.path()).mkpath(data);
        answerBoxes();
        window = std::make_unique<Form1>([this](const Printer::Job &job) {
            events << u"printer \"%1\" pdf \"%2\""_s.arg(document = job.documentName, job.pdfPath);
            return systemPrinter ? SystemPrinter::open(job) : std::make_unique<RecordingPrinter>(events, printOutcome, printerCalls);
        });
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    ~Station()
    {
        // A disk of the visit's own goes with it (under Wine one all see).
        try {
            shell(data, u"! mountpoint -q . || umount -l \"$PWD\""_s);
        } catch (const Stop &) {
        }
#ifdef Q_OS_WIN
        // The printer on a file port goes with the visit that added it.
        PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (HANDLE printer = nullptr; OpenPrinterW(const_cast<wchar_t *>(kFilePrinter), &printer, &all)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
#else
        ::close(watch);
#endif
    }

#ifdef Q_OS_LINUX
    // The watches that saw an open since last asked; what is watched are
    // the entries themselves, whose events carry no name.
    QList<int> opened() const
    {
        QList<int> seen;
        inotify_event events[64];
        for (ssize_t i = 0, n = ::read(watch, events, sizeof events) / ssize_t(sizeof *events); i < n; ++i)
            if (events[i].mask & IN_OPEN)
                seen << events[i].wd;
        return seen;
    }
#endif

    void answerBoxes()
    {
        MessageBox::answerWith([this](const QString &text) {
            events << u"message \"%1\""_s.arg(QString(text).replace(u'\n', u"\\n"_s));
            return MessageBox::Ok;
        });
    }
    QString file(const QString &name) const { return data + name; }
    void write(const QString &name, const QByteArray &bytes, bool append = false) const
    {
        QFile f(file(name));
        f.open(append ? QIODevice::Append : QIODevice::WriteOnly);
        f.write(bytes);
    }
    template <typename T> T *find(const QString &name) const { return window->findChild<T *>(name); }

    // Every entry of the data folder with its bytes, links with their targets.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> entries;
        for (const QFileInfo &info : QDir(data).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden)) {
            QFile f(info.filePath());
            entries.insert(info.fileName(), info.isSymLink() ? "-> " + QFile::encodeName(info.symLinkTarget())
                                                              : info.isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : "(no file)");
        }
        return entries;
    }

    // Fields, the selected option, the focus and the list entries.
    QStringList state() const
    {
        QCoreApplication::processEvents(); // the list lays itself out
        QStringList fields;
        for (const QString &name : kFields + QStringList{u"bmi"_s})
            fields << name + u' ' + quoted(find<QLineEdit>(name)->text());
        const bool male = find<QRadioButton>(u"Option1"_s)->isChecked(), female = find<QRadioButton>(u"Option2"_s)->isChecked();
        const QWidget *focus = QApplication::focusWidget();
        const ListBox *list = find<ListBox>(u"List1"_s);
        QStringList shown{u"fields: "_s + fields.join(u", "_s),
                          u"selected: %1, focus: %2"_s.arg(male ? "Option1" : female ? "Option2" : "none", focus ? focus->objectName() : u"none"_s),
                          u"list: %1 entries%2"_s.arg(list->model()->rowCount()).arg(list->horizontalScrollBar()->isVisible() ? ", scrolls sideways" : "")};
        for (int row = 0; row < list->model()->rowCount(); ++row)
            shown << u"  "_s + quoted(list->model()->index(row, 0).data().toString());
        return shown;
    }
};

// The first page of a PDF as a person sees it, at 72 dots per inch.
QImage firstPage(const QString &hostPdf, const Station &station)
{
    tool(u"pdftoppm"_s, {u"-png"_s, u"-r"_s, u"72"_s, u"-singlefile"_s, hostPdf, hostPath(station.home.path() + u"/page1"_s)});
    return QImage(station.home.path() + u"/page1.png"_s);
}

// Carries out the steps; returns what the station shows afterwards, and the
// pictures to compare: the chart, unless nothing is drawn, and the first pages
// of the PDFs written, named after the scenario (base).
QString carryOut(Station &station, const QStringList &steps, const QString &base, QList<std::pair<QImage, QString>> &pictures)
{
    std::optional<QMap<QString, QByteArray>> before;
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    std::vector<std::unique_ptr<QProcess>> others;
    QList<QProcess *> letGo; // other stations that let go once a waiting window goes on
    QImage drawn; // the chart as the step "draw" left it
#ifdef Q_OS_LINUX
    QMap<int, QString> watched;
    bool asNobody = false;
    qint64 readBefore = 0;
#endif
    QStringList keys; // for real message boxes
    for (const QString &step : steps) {
        const QString word = step.section(u' ', 0, 0);
        const QString rest = step.section(u' ', 1);
        const QString left = rest.section(u" = "_s, 0, 0);
        const QString right = rest.startsWith(u"= "_s) ? rest.mid(2) : rest.section(u" = "_s, 1);
        const bool acts = word == u"press"_s || word == u"key"_s || word == u"waits"_s;
        // Noted before the first watch, as reading the files opens them.
        if ((acts || word == u"watch"_s) && !before)
            before = station.snapshot();
        // Conditions of the visit, which decided whether it is part of this run.
        if (word.startsWith(u'#') || QStringList{"scale", "locale", "system"}.contains(word))
            continue;
        else if (word == u"file"_s)
            station.write(left, unescape(right));
        else if (word == u"repeat"_s) // appended, a number of times
            station.write(left, unescape(right.section(u' ', 1)).repeated(right.section(u' ', 0, 0).toInt()), true);
        // Folders, links, devices, modes, mounts, stand-ins for commands, the
        // package's samples ($SAMPLES); in the data folder.
        else if (word == u"sh"_s)
            shell(station.data, rest);
#ifdef Q_OS_LINUX
        else if (word == u"watch"_s) {
            // Through a link, what it names: an open through it opens that.
            // The runner's own open shows that the watch sees one.
            const QByteArray path = QFile::encodeName(station.file(left));
            const int watching = inotify_add_watch(station.watch, path, IN_OPEN);
            ::close(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
            if (watching < 0 || !station.opened().contains(watching))
                throw Stop{u"the watch on %1 sees no open"_s.arg(left)};
            watched.insert(watching, left);
        } else if (word == u"read"_s) // by the last press, in whole megabytes
            station.events << u"the press read %1 MB"_s.arg((bytesRead() - readBefore) / 1000000);
        else if (word == u"nobody"_s) {
            if (::geteuid() != 0)
                throw Stop{u"acting as another user needs root"_s, true};
            asNobody = true;
        }
#endif
        else if (word == u"assessments"_s)
            for (int n = 0; n < 6; ++n)
                station.write(u"bmi%1.txt"_s.arg(n), u"bmi%1 Zeile 1\r\n\r\nbmi%1 Zeile 3"_s.arg(n).toLatin1());
        else if (word == u"enter"_s) {
            const QStringList f = rest.split(u" | "_s);
            for (int i = 0; i < 6; ++i)
                station.find<QLineEdit>(kFields[i])->setText(f.value(i < 3 ? i : i + 1));
            // Neither selected can only be had from outside the group.
            for (const char *option : {"Option1", "Option2"}) {
                auto *button = station.find<QRadioButton>(QLatin1String(option));
                button->setAutoExclusive(f.value(3) != u"-"_s);
                button->setChecked(f.value(3) == (option[6] == '1' ? u"m"_s : u"w"_s));
            }
        } else if (word == u"set"_s)
            station.find<QLineEdit>(left)->setText(unescape(right)); // pasted: control characters too
        else if (word == u"list"_s)
            station.find<ListBox>(u"List1"_s)->setLines(TextLines(unescape(right)));
        else if (word == u"scroll"_s) { // the list, to its right end
            QScrollBar *sideways = station.find<ListBox>(u"List1"_s)->horizontalScrollBar();
            QCoreApplication::processEvents(); // the list lays itself out
            sideways->setValue(sideways->maximum());
        } else if (word == u"draw"_s) {
            station.find<DrawingSurface>(u"DrawingSurface"_s)->segment(4000, 200, 11000, 4000);
            drawn = station.find<QWidget>(u"DrawingSurface"_s)->grab().toImage();
        } else if (word == u"calls"_s)
            station.printerCalls = rest.split(u' ');
        else if (acts) {
            // As nobody, permission bits hold for root too. Boxes shown for
            // real are answered by keys once they are up.
#ifdef Q_OS_LINUX
            ::setfsuid(asNobody ? 65534 : 0);
            readBefore = bytesRead();
#endif
            // The timer also shows that the window goes on while a press
            // waits, and lets another station go then.
            int ticks = 0;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                for (QProcess *other : std::exchange(letGo, {}))
                    other->closeWriteChannel();
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (++ticks && box) {
                    QStringList buttons;
                    for (QAbstractButton *button : box->buttons())
                        buttons << button->text();
                    // The text as shown (markup rendered), as a screen reader reads it; where
                    // it may wrap is no part of it; a word wider than the box is cut.
                    QLabel *label = box->findChild<QLabel *>(u"qt_msgbox_label"_s);
                    const QString shown = QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
                    station.events << u"box \"%1\" \"%2\" %3 icon %4%5"_s
                                          .arg(box->windowTitle(), QString(shown).remove(QChar(0x200B)), buttons.join(u'/'))
                                          .arg(box->icon()).arg(label->minimumSizeHint().width() > label->width() ? " cut at the right" : "");
                    QTest::keyClick(box, keys.isEmpty() ? Qt::Key_Return : QKeySequence(keys.takeFirst())[0].key());
                }
            });
            poll.start(10);
            if (!keys.isEmpty())
                MessageBox::answerWith(nullptr);
            QElapsedTimer clock; // the time that passed, whatever the clock shows
            clock.start();
            if (word == u"key"_s)
                QTest::keySequence(QApplication::focusWidget(), QKeySequence(rest));
            else
                QTest::mouseClick(station.find<QPushButton>(rest), Qt::LeftButton);
            if (!QTest::qWaitFor([&] { return keys.isEmpty(); }, 2000))
                throw Stop{u"no message box came for the keys "_s + keys.join(u' ')};
            if (word == u"waits"_s)
                station.events << u"waited %1 s, the window went on: %2"_s.arg(clock.elapsed() / 1000).arg(ticks ? "yes" : "no");
            station.answerBoxes();
#ifdef Q_OS_LINUX
            ::setfsuid(0);
#endif
        } else if (word == u"type"_s)
            QTest::keyClicks(QApplication::focusWidget(), rest);
        else if (word == u"boxes"_s)
            keys = rest.split(u' ');
        else if (word == u"wait"_s)
            QTest::qWait(rest.toInt());
        else if (word == u"hold"_s) {
            // Another station holds the file's lock "throughout" the visit,
            // or "briefly": until the window goes on while a take-over waits.
            others.push_back(std::make_unique<QProcess>());
            others.back()->start(QCoreApplication::applicationFilePath(), {u"hold"_s, station.file(left)});
            if (!others.back()->waitForReadyRead(20000))
                throw Stop{u"the other station holds no lock of "_s + left};
            if (right == u"briefly"_s)
                letGo << others.back().get();
        } else if (word == u"printer"_s && left == u"says"_s)
            station.printOutcome = right;
        else if (word == u"printer"_s) {
            // The real printing, with this queue as the default, or none at
            // all: a print service of the visit's own without queues.
#ifdef Q_OS_WIN
            // Wine's printers are the host's CUPS queues, read as a program
            // starts: without a print service CTest starts it without one.
            HANDLE queue = nullptr;
            if (rest != u"unreachable"_s && rest != u"none"_s) {
                if (!OpenPrinterW(const_cast<wchar_t *>(L"bmi-pondra-test"), &queue, nullptr))
                    throw Stop{u"no CUPS test queues: scripts/setup-test-printer.sh adds them"_s, true};
                if (rest == u"to file"_s) {
                    // A printer on a file port, with the test queue's driver.
                    DWORD size = 0;
                    GetPrinterW(queue, 2, nullptr, 0, &size);
                    std::vector<BYTE> info(size);
                    GetPrinterW(queue, 2, info.data(), size, &size);
                    auto *printer = reinterpret_cast<PRINTER_INFO_2W *>(info.data());
                    printer->pPrinterName = const_cast<wchar_t *>(kFilePrinter);
                    printer->pPortName = const_cast<wchar_t *>(L"FILE:");
                    ClosePrinter(AddPrinterW(nullptr, 2, info.data()));
                }
                ClosePrinter(queue);
                if (rest == u"without default"_s)
                    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", L"Device");
                else
                    SetDefaultPrinterW(rest == u"to file"_s ? kFilePrinter : reinterpret_cast<const wchar_t *>(rest.utf16()));
            }
#else
            cupsSetServer(nullptr); // the one of a visit's start
            cups_dest_t *queue = cupsGetNamedDest(CUPS_HTTP_DEFAULT, "bmi-pondra-test", nullptr);
            cupsFreeDests(1, queue);
            if (!queue && rest != u"unreachable"_s && rest != u"none"_s)
                throw Stop{u"no CUPS test queues: scripts/setup-test-printer.sh adds them"_s, true};
            if (rest == u"none"_s) {
                const QString cups = station.home.path() + u"/cups"_s; // its own, which it empties
                QDir(station.home.path()).mkdir(u"cups"_s);
                station.write(u"../cups/files.conf"_s, QStringLiteral("ServerRoot %1\nStateDir %1\nCacheDir %1\nRequestRoot %1\nTempDir %1\n"
                                                                            "AccessLog stderr\nErrorLog stderr\nPageLog stderr\n").arg(cups).toUtf8());
                station.write(u"../cups/cupsd.conf"_s, u"Listen %1/socket\n"_s.arg(cups).toUtf8());
                others.push_back(std::make_unique<QProcess>());
                others.back()->start(u"/usr/sbin/cupsd"_s, {u"-f"_s, u"-c"_s, cups + u"/cupsd.conf"_s, u"-s"_s, cups + u"/files.conf"_s});
                if (!QTest::qWaitFor([&] { return QFile::exists(cups + u"/socket"_s); }, 20000))
                    throw Stop{u"no CUPS scheduler of the visit's own: "_s + others.back()->readAll(), true};
                qputenv("CUPS_SERVER", QFile::encodeName(cups + u"/socket"_s));
            } else if (rest == u"unreachable"_s)
                qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
            else if (rest != u"without default"_s)
                qputenv("LPDEST", rest.toUtf8());
            cupsSetServer(nullptr); // read the variables again
#endif
            station.systemPrinter = true;
        } else if (word == u"paper"_s) {
            // The station's job, once the test queue has none left to do:
            // cups-pdf has then written it whole, named after the job's title
            // with its blanks and colons as "_", into the folder its
            // configuration names for the user.
            if (!QTest::qWaitFor([] { return tool(u"lpstat"_s, {u"-o"_s, u"bmi-pondra-test"_s}).isEmpty(); }, 60000))
                throw Stop{u"the test queue did not finish its jobs"_s};
            const QStringList user = tool(u"getent"_s, {u"passwd"_s, tool(u"id"_s, {u"-u"_s}).trimmed()}).split(u':');
            const QDir out(kHostRoot + tool(u"sed"_s, {u"-n"_s, u"s/^Out //p"_s, u"/etc/cups/cups-pdf.conf"_s})
                               .trimmed().replace(u"${HOME}"_s, user.value(5)).replace(u"${USER}"_s, user.value(0)));
            QFileInfoList printed = out.entryInfoList({QString(station.document).replace(QRegularExpression(u"[ :]"_s), u"_"_s) + u"*-job_*.pdf"_s},
                                                      QDir::Files, QDir::Time);
            printed.removeIf([&](const QFileInfo &pdf) { return pdf.lastModified() < started; });
            if (printed.isEmpty())
                throw Stop{u"no PDF of the job \"%1\" in %2"_s.arg(station.document, out.path())};
            const QString pdf = hostPath(printed[0].filePath());
            station.events << u"on paper: "_s + tool(u"pdftotext"_s, {u"-raw"_s, pdf, u"-"_s}).simplified();
            // Wine's PostScript driver, with the queue's printable area, places it a little otherwise.
            pictures << std::pair{firstPage(pdf, station), base + (kSystem == u"Windows"_s ? u"-paper-windows.png"_s : u"-paper.png"_s)};
            QFile::remove(printed[0].filePath());
        }
        else if (word == u"show"_s)
            station.events << u"shown: "_s + station.state().join(u"\n    "_s);
        else if (word == u"focus"_s)
            station.events << u"focus: "_s + QApplication::focusWidget()->objectName();
        else if (word == u"window"_s)
            pictures << std::pair{station.window->grab().toImage(), base + u"-window.png"_s};
        else if (word == u"controls"_s)
            for (const QWidget *control : station.window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                station.events << u"%1 %2 at %3,%4 size %5x%6"_s.arg(control->metaObject()->className(), control->objectName())
                                      .arg(control->x()).arg(control->y()).arg(control->width()).arg(control->height());
        else
            throw Stop{u"unknown step here (one only Linux has is marked \"(Linux) \"): "_s + step};
    }

#ifdef Q_OS_LINUX
    for (const int watching : station.opened())
        station.events << u"opened: "_s + watched.value(watching);
#endif
    if (const qsizetype left = station.window->findChildren<QProcess *>().size())
        station.events << u"processes left: %1"_s.arg(left);
    QStringList shown = station.state() << u"events:"_s;
    for (const QString &event : std::as_const(station.events))
        shown << u"  "_s + escape(event);
    shown << u"data folder changes:"_s;
    const auto after = station.snapshot();
    before = before.value_or(QMap<QString, QByteArray>());
    for (const QString &name : before->keys())
        if (!after.contains(name))
            shown << u"  "_s + name + u" removed"_s;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before->value(it.key()) == it.value())
            continue;
        if (!it.key().endsWith(u".pdf"_s)) {
            const QString bytes = QString::fromLatin1(it.value()); // a file of megabytes by its ends
            shown << u"  "_s + it.key() + u" = "_s + (bytes.size() > 4096 ? escape(bytes.first(100), true) + u" ... %1 bytes ... "_s.arg(bytes.size()) + escape(bytes.last(100), true) : escape(bytes, true));
            continue;
        }
        // A PDF as a person reads it: its text, and its first page as a picture.
        const QString pdf = station.file(it.key());
        const QString text = tool(u"pdftotext"_s, {u"-raw"_s, hostPath(pdf), u"-"_s});
        const QString title = tool(u"pdfinfo"_s, {hostPath(pdf)}).section(u"Title:"_s, 1).section(u'\n', 0, 0);
        shown << u"  %1, %2 pages, titled %3:"_s.arg(it.key()).arg(text.count(u'\f')).arg(title.trimmed());
        for (const QString &line : text.split(u'\n'))
            shown << u"    "_s + escape(line);
        pictures << std::pair{firstPage(hostPath(pdf), station), base + u"-page1.png"_s};
    }
    const QImage drawing = station.find<QWidget>(u"DrawingSurface"_s)->grab().toImage();
    QImage blank(drawing.size(), drawing.format());
    blank.fill(station.window->palette().color(QPalette::Window));
    const QString chart = drawing == blank ? u"blank"_s : drawing == drawn ? u"as the step draw left it"_s : QFileInfo(base).fileName() + u".png"_s;
    if (chart.endsWith(u".png"_s))
        pictures << std::pair{drawing, base + u".png"_s};
    shown << u"chart: "_s + chart;
    // The temporary folder has another name in every run.
    return today(shown.join(u'\n').replace(station.data, u"<Daten>/"_s)
                     .replace(QDir::toNativeSeparators(station.data), u"<Daten>/"_s)) + u'\n';
}

} // namespace

class TestScenarios : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Startup::prepare(*qApp); }
    void visit_data();
    void visit();
};

void TestScenarios::visit_data()
{
    QTest::addColumn<QString>("path");
    // A visit made for another scale, locale or system is no part of this
    // run: CTest runs each with its own, and Windows has no Linux scenario.
    static const QRegularExpression condition(u"^(scale|locale|system) (.*)$"_s, QRegularExpression::MultilineOption);
    const QMap<QString, QString> run{{u"scale"_s, qEnvironmentVariable("QT_SCALE_FACTOR")},
                                     {u"locale"_s, qEnvironmentVariable("LC_ALL")}, {u"system"_s, kSystem}};
    for (const QFileInfo &info : QDir(QStringLiteral(SCENARIOS_DIR)).entryInfoList({u"*.txt"_s})) {
        QFile file(info.filePath());
        file.open(QIODevice::ReadOnly);
        const QString steps = QString::fromUtf8(file.readAll()).section(kExpected, 0, 0);
        // Under Wine a visit that prints through a queue is made on Qt's
        // Windows platform, whose print engine draws with the system's fonts;
        // one without a print service by a program started without one, as
        // Wine reads its printers from CUPS when a program starts.
        static const QRegularExpression queue(u"^printer bmi-pondra-"_s, QRegularExpression::MultilineOption);
        static const QRegularExpression noService(u"^printer (none|unreachable)$"_s, QRegularExpression::MultilineOption);
        bool here = kSystem != u"Windows"_s || (queue.match(steps).hasMatch() == (QGuiApplication::platformName() == u"windows"_s)
                && noService.match(steps).hasMatch() == qEnvironmentVariableIsSet("CUPS_SERVER"));
        for (const QRegularExpressionMatch &match : condition.globalMatch(steps))
            here = here && run.value(match.captured(1)) == match.captured(2);
        if (here)
            QTest::newRow(qPrintable(info.baseName())) << info.filePath();
    }
}

void TestScenarios::visit()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString scenario = QString::fromUtf8(file.readAll());
    file.close();
    const QString steps = scenario.section(kExpected, 0, 0);
    const QString expected = scenario.section(kExpected, 1);
    Station station;
    QList<std::pair<QImage, QString>> pictures;
    QString shown;
    try {
        shown = carryOut(station, forThisSystem(steps).split(u'\n', Qt::SkipEmptyParts), path.chopped(4), pictures);
    } catch (const Stop &stop) {
        if (stop.missing && !kInCi)
            QSKIP(qPrintable(stop.why));
        QFAIL(qPrintable(stop.why + QLatin1String(stop.missing ? " (under CI what is missing fails)" : "")));
    }

    const QStringList got = shown.split(u'\n');
    if (qEnvironmentVariableIsSet("BMI_UPDATE_EXPECTED")) {
        QVERIFY2(!kInCi, "BMI_UPDATE_EXPECTED: CI compares, it never writes what is expected");
        QVERIFY2(forThisSystem(expected) == expected, "lines marked for one system are updated by hand");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write((steps + kExpected + shown).toUtf8());
        for (const auto &[picture, name] : pictures)
            QVERIFY2(picture.save(name), qPrintable(name));
        QFAIL("written: review it with git diff, then run the test again");
    }
    const QStringList mine = forThisSystem(expected).split(u'\n');
    for (qsizetype i = 0; i < qMax(got.size(), mine.size()); ++i)
        QVERIFY2(got.value(i) == mine.value(i), qPrintable(u"line %1 of the expected part:\n   got: %2\n  want: %3"_s
                                                               .arg(i + 1).arg(got.value(i), mine.value(i))));
    for (const auto &[picture, name] : pictures)
        QVERIFY2(!picture.isNull() && picture == QImage(name).convertToFormat(picture.format()), qPrintable(name));
}

int main(int argc, char *argv[])
{
    // Started again as another station: one that stores records
    // (tests/system/shared-folder.sh), or one that holds a file's lock until
    // told to let go and then appends a line of its own.
    if (argc == 5 && qstrcmp(argv[1], "station") == 0) {
        for (int n = 0; n < std::atoi(argv[4]); ++n)
            for (int person = 0; person < std::atoi(argv[3]); ++person) {
                const QString name = u"Zwei Stationen %1"_s.arg(person);
                if (const QString failed = PersonFile::store(PersonFile::path(name), (name + " " + argv[2]).toLatin1(),
                        u"  %1%2 BMI: 22"_s.arg(argv[2]).arg(n).toLatin1()); !failed.isEmpty())
                    return std::puts(qPrintable(failed)), 1;
            }
        return 0;
    }
    if (argc == 3 && qstrcmp(argv[1], "hold") == 0) {
        const Native::Opened opened = Native::openForAppend(argv[2]);
        if (!opened.result.ok() || !Native::lockExclusive(opened.file, 0, [] {}).ok())
            return 1;
        std::puts("held");
        std::fflush(stdout);
        std::getchar(); // until told to let go, its input closed
        return Native::appendBlock(opened.file, "  von der anderen Station\r\n", true).ok() ? 0 : 1;
    }
#ifdef Q_OS_LINUX
    // Mounts of a visit (as root) stay in a namespace of the test's own.
    ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    qputenv("FONTCONFIG_FILE", SCENARIOS_DIR "/../fonts.conf");
#endif
    qputenv("SAMPLES", SAMPLES_DIR);
    QApplication app(argc, argv);
    TestScenarios test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scenarios.moc"
