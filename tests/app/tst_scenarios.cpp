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
#include "toolkit/Printer.h"
#include "toolkit/SystemPrinter.h"
#include "records/PersonFile.h"

#include <QtTest>
#include <QtWidgets>

#ifdef Q_OS_WIN
#include <windows.h>
#include <winspool.h>
#undef MessageBox // the station's own
#endif
#ifdef Q_OS_LINUX
#include <cups/cups.h>

#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/fsuid.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

const QString kExpected = QStringLiteral("--- expected\n");
bool canMount = false; // root in a mount namespace of the test's own
const bool kInCi = qgetenv("CI") == "true";
const QString kSystem = QSysInfo::productType() == QLatin1String("windows") ? QStringLiteral("Windows") : QStringLiteral("Linux");

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
    return text.remove(lines(QStringLiteral("^\\((?!%1\\))\\w+\\) .*\n"))).remove(lines(QStringLiteral("^\\(%1\\) ")));
}

// File bytes in a scenario: printable ASCII as it is, the rest escaped
// (\r, \n, \xHH); scenarios hold no per cent sign of their own.
QByteArray unescape(const QString &text)
{
    return QByteArray::fromPercentEncoding(text.toUtf8().replace("\\r", "%0D").replace("\\n", "%0A").replace("\\x", "%"));
}

QString escape(const QByteArray &bytes)
{
    if (bytes.size() > 4096) // a file of megabytes by its ends
        return escape(bytes.first(100)) + QStringLiteral(" ... %1 bytes ... ").arg(bytes.size()) + escape(bytes.last(100));
    QString text;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n')
            text += c == '\r' ? QStringLiteral("\\r") : QStringLiteral("\\n");
        else if (c == '\\' || uchar(c) < 0x20 || uchar(c) > 0x7e)
            text += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(c);
    }
    return text;
}

// Control characters as \xHH, so every dump is plain text; line ends are the dump's own.
QString printable(const QString &text)
{
    QString shown;
    for (const QChar c : text)
        shown += c.category() == QChar::Other_Control && c != QLatin1Char('\n')
            ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')) : QString(c);
    return shown;
}

// Today's date as the station writes it in German, by each system's own
// short form (under Wine without leading zeros), and in English (US); any
// other form stays as it is, and differs.
QString today(QString text)
{
    const QDate now = QDate::currentDate();
    return text.replace(now.toString(kSystem == QLatin1String("Windows") ? u"d.M.yyyy" : u"dd.MM.yyyy"), QStringLiteral("<heute>"))
        .replace(now.toString(u"M/d/yyyy"), QStringLiteral("<heute M/d/yyyy>"));
}

QString quoted(const QString &text)
{
    if (const QString date = today(text); date.startsWith(QLatin1Char('<')) && date.endsWith(QLatin1Char('>')))
        return date;
    if (text.size() > 1000) // a line of megabytes by its ends
        return quoted(text.first(100)) + QStringLiteral(" ... %1 characters ... ").arg(text.size()) + quoted(text.last(100));
    return QLatin1Char('"') + printable(text).replace(QLatin1Char('\n'), QStringLiteral("\\x0a")) + QLatin1Char('"');
}

#ifdef Q_OS_WIN
const wchar_t *const kFilePrinter = L"Datei"; // a default printer that writes into a file
#endif

// Under Wine the Linux root is the drive Z:, and Linux programs run as they are.
const QString kHostRoot = kSystem == QLatin1String("Windows") ? QStringLiteral("Z:") : QString();

// A file as the Linux tools see it.
QString hostPath(const QString &path)
{
#ifdef Q_OS_WIN
    using Convert = char *(CDECL *)(LPCWSTR);
    static const auto convert = reinterpret_cast<Convert>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name"));
    if (char *onHost = convert ? convert(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16())) : nullptr) {
        const QString converted = QString::fromUtf8(onHost);
        HeapFree(GetProcessHeap(), 0, onHost);
        return converted;
    }
#endif
    return path;
}

// Runs a Linux program and gives what it wrote. Under Wine it runs beside
// the test rather than as a child that can be waited for: on both systems
// it leaves its output and then its exit status in files of their own.
QString tool(const QString &name, const QStringList &args)
{
    const QTemporaryDir files;
    const QString output = files.filePath(QStringLiteral("output")), status = files.filePath(QStringLiteral("status"));
    const QStringList script{QStringLiteral("-c"), QStringLiteral("o=$1 s=$2; shift 2; \"$@\" >\"$o\" 2>&1; echo $? >\"$s.new\"; /bin/mv \"$s.new\" \"$s\""),
                             QStringLiteral("sh"), hostPath(output), hostPath(status), QStringLiteral("/usr/bin/") + name};
    const bool started = QProcess::startDetached(kHostRoot + QStringLiteral("/bin/sh"), script + args);
    const bool done = started && QTest::qWaitFor([&] { return QFile::exists(status); }, 60000);
    QFile said(output), exit(status);
    said.open(QIODevice::ReadOnly);
    exit.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(said.readAll());
    if (!done || exit.readAll().trimmed() != "0")
        throw Stop{QStringLiteral("%1 %2: %3").arg(name, args.join(QLatin1Char(' ')), done ? text : QStringLiteral("did not end")), !started};
    return text;
}

#ifdef Q_OS_LINUX
// What the process has read so far through read() and its kin, cached or not.
qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
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
    void setFontSize(qreal points) override { log(QStringLiteral("font size %1").arg(m_points = points), m_position); }
    void setDrawWidth(int pixels) override { log(QStringLiteral("draw width %1").arg(pixels), m_position); }
    void printLine(const QString &text) override
    {
        const QString shown = text.size() > 200 ? text.left(100) + QStringLiteral("... %1 characters").arg(text.size()) : text;
        log(QStringLiteral("text \"%1\" at %2").arg(shown, point(m_position)), {0, m_position.y() + 20 * m_points});
    }
    void segment(float x1, float y1, float x2, float y2) override { log(QStringLiteral("segment %1 %2").arg(point({x1, y1}), point({x2, y2})), {x2, y2}); }
    void box(float x1, float y1, float x2, float y2, const QColor &outline) override
    {
        log(QStringLiteral("box %1 %2 %3").arg(point({x1, y1}), point({x2, y2}), outline.name()), {x2, y2});
    }
    QString endDocument() override { return log(QStringLiteral("end document"), m_position), m_outcome; }

private:
    static QString point(QPointF p) { return QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y()); }
    void log(const QString &call, QPointF moveTo)
    {
        if (m_listed.isEmpty() || m_listed.contains(call.section(QLatin1Char(' '), 0, 0)))
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
#ifdef Q_OS_WIN
    QString data = QString::fromStdString(Native::dataFolder()); // fixed there
#else
    QString data = home.path() + QStringLiteral("/Eigene Dateien/");
#endif
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
#ifdef Q_OS_LINUX
        qputenv("PATH", QFile::encodeName(home.path() + QStringLiteral("/bin")));
#else
        // Only the DLLs' folders: the system's shutdown command is never found.
        const QString system = QDir::fromNativeSeparators(qEnvironmentVariable("SystemRoot"));
        QStringList path = qEnvironmentVariable("PATH").split(QLatin1Char(';'));
        path.removeIf([&](const QString &dir) { return QDir::fromNativeSeparators(dir).startsWith(system, Qt::CaseInsensitive); });
        qputenv("PATH", path.join(QLatin1Char(';')).toLocal8Bit());
#endif
        QDir(home.path()).mkpath(QStringLiteral("bin"));
        QDir(data).removeRecursively();
        QDir(home.path()).mkpath(data);
        answerBoxes();
        window = std::make_unique<Form1>([this](const Printer::Job &job) {
            events << QStringLiteral("printer \"%1\" pdf \"%2\"").arg(document = job.documentName, job.pdfPath);
            return systemPrinter ? SystemPrinter::open(job) : std::make_unique<RecordingPrinter>(events, printOutcome, printerCalls);
        });
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the window did not become active");
    }

#ifdef Q_OS_WIN
    ~Station()
    {
        // The printer on a file port goes with the visit that added it.
        PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (HANDLE printer = nullptr; OpenPrinterW(const_cast<wchar_t *>(kFilePrinter), &printer, &all)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
    }
#endif
#ifdef Q_OS_LINUX
    ~Station()
    {
        ::close(watch);
        ::umount2(QFile::encodeName(data), MNT_DETACH);
    }

    // The watches that saw an open since last asked; what is watched are
    // the entries themselves, whose events carry no name.
    QList<int> opened() const
    {
        QList<int> seen;
        inotify_event events[64];
        for (ssize_t i = 0, n = ::read(watch, events, sizeof events) / ssize_t(sizeof *events); i < n; ++i) {
            if (events[i].mask & IN_OPEN)
                seen << events[i].wd;
        }
        return seen;
    }
#endif

    void answerBoxes()
    {
        MessageBox::answerWith([this](const QString &text) {
            events << QStringLiteral("message \"%1\"").arg(QString(text).replace(QLatin1Char('\n'), QStringLiteral("\\n")));
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
        for (const char *name : {"text", "Text7", "Text5", "Text2", "Text1", "Text3", "bmi"})
            fields << QLatin1String(name) + QLatin1Char(' ') + quoted(find<QLineEdit>(QLatin1String(name))->text());
        const bool male = find<QRadioButton>(QStringLiteral("Option1"))->isChecked();
        const bool female = find<QRadioButton>(QStringLiteral("Option2"))->isChecked();
        const ListBox *list = find<ListBox>(QStringLiteral("List1"));
        QStringList shown{QStringLiteral("fields: ") + fields.join(QStringLiteral(", ")),
                          QStringLiteral("selected: %1, focus: %2").arg(male ? "Option1" : female ? "Option2" : "none",
                                                                       QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "none"),
                          QStringLiteral("list: %1 entries%2").arg(list->model()->rowCount())
                              .arg(list->horizontalScrollBar()->isVisible() ? ", scrolls sideways" : "")};
        for (int row = 0; row < list->model()->rowCount(); ++row)
            shown << QStringLiteral("  ") + quoted(list->model()->index(row, 0).data().toString());
        return shown;
    }
};

// The first page of a PDF as a person sees it, at 72 dots per inch.
QImage firstPage(const QString &hostPdf, const Station &station)
{
    tool(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-singlefile"),
                                      hostPdf, hostPath(station.home.path() + QStringLiteral("/page1"))});
    return QImage(station.home.path() + QStringLiteral("/page1.png"));
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
    rlim_t sizeLimit = RLIM_INFINITY;
    bool asNobody = false;
    qint64 readBefore = 0;
#endif
    QStringList keys; // for real message boxes
    for (const QString &step : steps) {
        const QString word = step.section(QLatin1Char(' '), 0, 0);
        const QString rest = step.section(QLatin1Char(' '), 1);
        const QString left = rest.section(QStringLiteral(" = "), 0, 0);
        const QString right = rest.startsWith(QLatin1String("= ")) ? rest.mid(2) : rest.section(QStringLiteral(" = "), 1);
        const QByteArray path = QFile::encodeName(station.file(left));
        const bool acts = word == QLatin1String("press") || word == QLatin1String("key") || word == QLatin1String("waits");
        // Noted before the first watch, as reading the files opens them.
        if ((acts || word == QLatin1String("watch")) && !before)
            before = station.snapshot();
        // Conditions of the visit, which decided whether it is part of this run.
        if (word.startsWith(QLatin1Char('#')) || QStringList{"scale", "locale", "system"}.contains(word))
            continue;
        else if (word == QLatin1String("file"))
            station.write(left, unescape(right));
        else if (word == QLatin1String("repeat")) // appended, a number of times
            station.write(left, unescape(right.section(QLatin1Char(' '), 1)).repeated(right.section(QLatin1Char(' '), 0, 0).toInt()), true);
        else if (word == QLatin1String("folder"))
            QDir(station.data).mkdir(rest);
        else if (word == QLatin1String("remove"))
            QFile::remove(station.file(rest)) || QDir(station.data).rmdir(rest);
#ifdef Q_OS_LINUX
        else if (word == QLatin1String("link"))
            QFile::link(right, station.file(left));
        else if (word == QLatin1String("fifo"))
            ::mkfifo(path, 0600);
        else if (word == QLatin1String("device")) {
            if (::mknod(path, S_IFCHR | 0666, makedev(1, 3)) != 0) // like /dev/null
                throw Stop{QStringLiteral("making a device needs root"), true};
        } else if (word == QLatin1String("mode"))
            ::chmod(path, right.toUInt(nullptr, 8));
        else if (word == QLatin1String("watch")) {
            // Through a link, what it names: an open through it opens that.
            // The runner's own open shows that the watch sees one.
            const int watching = inotify_add_watch(station.watch, path, IN_OPEN);
            ::close(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
            if (watching < 0 || !station.opened().contains(watching))
                throw Stop{QStringLiteral("the watch on %1 sees no open").arg(left)};
            watched.insert(watching, left);
        } else if (word == QLatin1String("read")) // by the last press, in whole megabytes
            station.events << QStringLiteral("the press read %1 MB").arg((bytesRead() - readBefore) / 1000000);
        else if (word == QLatin1String("disk")) {
            const QByteArray folder = QFile::encodeName(station.data);
            if (!canMount)
                throw Stop{QStringLiteral("mounting needs root and a mount namespace"), true};
            if (rest == QLatin1String("full"))
                ::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, "size=65536");
            else if (::mount(folder, folder, nullptr, MS_BIND, nullptr) == 0)
                ::mount(nullptr, folder, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
        } else if (word == QLatin1String("fill")) {
            QFile filler(station.file(QStringLiteral("filler")));
            filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
            while (filler.write(QByteArray(4096, 'f')) == 4096) {
            }
        } else if (word == QLatin1String("limit"))
            sizeLimit = rest.toULong();
        else if (word == QLatin1String("nobody")) {
            if (::geteuid() != 0)
                throw Stop{QStringLiteral("acting as another user needs root"), true};
            asNobody = true;
        }
#endif
        else if (word == QLatin1String("assessments"))
            for (int n = 0; n < 6; ++n)
                station.write(QStringLiteral("bmi%1.txt").arg(n), QStringLiteral("bmi%1 Zeile 1\r\n\r\nbmi%1 Zeile 3").arg(n).toLatin1());
        else if (word == QLatin1String("samples"))
            for (int n = 0; n < 6; ++n)
                QFile::copy(QStringLiteral(SAMPLES_DIR "/bmi%1.txt").arg(n), station.file(QStringLiteral("bmi%1.txt").arg(n)));
        else if (word == QLatin1String("enter")) {
            const QStringList f = rest.split(QStringLiteral(" | "));
            const char *names[] = {"text", "Text7", "Text5", "Text2", "Text1", "Text3"};
            for (int i = 0; i < 6; ++i)
                station.find<QLineEdit>(QLatin1String(names[i]))->setText(f.value(i < 3 ? i : i + 1));
            // Neither selected can only be had from outside the group.
            for (const char *option : {"Option1", "Option2"}) {
                auto *button = station.find<QRadioButton>(QLatin1String(option));
                button->setAutoExclusive(f.value(3) != QLatin1String("-"));
                button->setChecked(f.value(3) == (option[6] == '1' ? QLatin1String("m") : QLatin1String("w")));
            }
        } else if (word == QLatin1String("set"))
            station.find<QLineEdit>(left)->setText(unescape(right)); // pasted: control characters too
        else if (word == QLatin1String("list"))
            station.find<ListBox>(QStringLiteral("List1"))->setLines(TextLines(unescape(right)));
        else if (word == QLatin1String("scroll")) { // the list, to its right end
            QScrollBar *sideways = station.find<ListBox>(QStringLiteral("List1"))->horizontalScrollBar();
            QCoreApplication::processEvents(); // the list lays itself out
            sideways->setValue(sideways->maximum());
        } else if (word == QLatin1String("draw")) {
            station.find<DrawingSurface>(QStringLiteral("DrawingSurface"))->segment(4000, 200, 11000, 4000);
            drawn = station.find<QWidget>(QStringLiteral("DrawingSurface"))->grab().toImage();
        } else if (word == QLatin1String("calls"))
            station.printerCalls = rest.split(QLatin1Char(' '));
        else if (acts) {
            // A file size limit cuts a write short (instead of SIGXFSZ); as
            // nobody, permission bits hold for root too. Boxes shown for real
            // are answered by keys once they are up.
#ifdef Q_OS_LINUX
            const rlimit limit{sizeLimit, RLIM_INFINITY};
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
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
                    QLabel *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
                    const QString shown = QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
                    station.events << QStringLiteral("box \"%1\" \"%2\" %3 icon %4%5")
                                          .arg(box->windowTitle(), QString(shown).remove(QChar(0x200B)), buttons.join(QLatin1Char('/')))
                                          .arg(box->icon()).arg(label->minimumSizeHint().width() > label->width() ? " cut at the right" : "");
                    QTest::keyClick(box, keys.isEmpty() ? Qt::Key_Return : QKeySequence(keys.takeFirst())[0].key());
                }
            });
            poll.start(10);
            if (!keys.isEmpty())
                MessageBox::answerWith(nullptr);
            QElapsedTimer clock;
            clock.start();
            if (word == QLatin1String("key"))
                QTest::keySequence(QApplication::focusWidget(), QKeySequence(rest));
            else
                QTest::mouseClick(station.find<QPushButton>(rest), Qt::LeftButton);
            for (int i = 0; i < 200 && !keys.isEmpty(); ++i)
                QTest::qWait(10);
            if (word == QLatin1String("waits"))
                station.events << QStringLiteral("waited %1 s, the window went on: %2").arg(clock.elapsed() / 1000).arg(ticks ? "yes" : "no");
            station.answerBoxes();
#ifdef Q_OS_LINUX
            ::setfsuid(0);
            const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &none);
#endif
        } else if (word == QLatin1String("type"))
            QTest::keyClicks(QApplication::focusWidget(), rest);
        else if (word == QLatin1String("boxes"))
            keys = rest.split(QLatin1Char(' '));
        else if (word == QLatin1String("wait"))
            QTest::qWait(rest.toInt());
        else if (word == QLatin1String("hold")) {
            // Another station holds the file's lock "throughout" the visit,
            // or "briefly": until the window goes on while a take-over waits.
            others.push_back(std::make_unique<QProcess>());
            others.back()->start(QCoreApplication::applicationFilePath(), {QStringLiteral("hold"), station.file(left)});
            if (!others.back()->waitForReadyRead(20000))
                throw Stop{QStringLiteral("the other station holds no lock of ") + left};
            if (right == QLatin1String("briefly"))
                letGo << others.back().get();
        } else if (word == QLatin1String("printer") && left == QLatin1String("says"))
            station.printOutcome = right;
#ifdef Q_OS_LINUX
        else if (word == QLatin1String("stub")) {
            // In place of a system command: notes how it was called, ends as told.
            QFile command(station.home.path() + QStringLiteral("/bin/") + left);
            command.open(QIODevice::WriteOnly);
            command.write(QStringLiteral("#!/bin/sh\necho \"%1 $@\" >> \"$HOME/called\"\n%2\n").arg(left, right).toUtf8());
            command.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
#endif
        else if (word == QLatin1String("printer")) {
            // The real printing, with this queue as the default, or none at
            // all: a print service of the visit's own without queues.
#ifdef Q_OS_WIN
            // Wine's printers are the host's CUPS queues, read as a program
            // starts: without a print service CTest starts it without one.
            HANDLE queue = nullptr;
            if (rest != QLatin1String("unreachable") && rest != QLatin1String("none")) {
                if (!OpenPrinterW(const_cast<wchar_t *>(L"bmi-pondra-test"), &queue, nullptr))
                    throw Stop{QStringLiteral("no CUPS test queues: scripts/setup-test-printer.sh adds them"), true};
                if (rest == QLatin1String("to file")) {
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
                if (rest == QLatin1String("without default"))
                    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", L"Device");
                else
                    SetDefaultPrinterW(rest == QLatin1String("to file") ? kFilePrinter : reinterpret_cast<const wchar_t *>(rest.utf16()));
            }
#else
            cupsSetServer(nullptr); // the one of a visit's start
            cups_dest_t *queue = cupsGetNamedDest(CUPS_HTTP_DEFAULT, "bmi-pondra-test", nullptr);
            cupsFreeDests(1, queue);
            if (!queue && rest != QLatin1String("unreachable") && rest != QLatin1String("none"))
                throw Stop{QStringLiteral("no CUPS test queues: scripts/setup-test-printer.sh adds them"), true};
            if (rest == QLatin1String("none")) {
                const QString cups = station.home.path() + QStringLiteral("/cups"); // its own, which it empties
                QDir(station.home.path()).mkdir(QStringLiteral("cups"));
                station.write(QStringLiteral("../cups/files.conf"), QStringLiteral("ServerRoot %1\nStateDir %1\nCacheDir %1\nRequestRoot %1\nTempDir %1\n"
                                                                            "AccessLog stderr\nErrorLog stderr\nPageLog stderr\n").arg(cups).toUtf8());
                station.write(QStringLiteral("../cups/cupsd.conf"), QStringLiteral("Listen %1/socket\n").arg(cups).toUtf8());
                others.push_back(std::make_unique<QProcess>());
                others.back()->start(QStringLiteral("/usr/sbin/cupsd"), {QStringLiteral("-f"), QStringLiteral("-c"), cups + QStringLiteral("/cupsd.conf"),
                                                                         QStringLiteral("-s"), cups + QStringLiteral("/files.conf")});
                if (!QTest::qWaitFor([&] { return QFile::exists(cups + QStringLiteral("/socket")); }, 20000))
                    throw Stop{QStringLiteral("no CUPS scheduler of the visit's own: ") + others.back()->readAll(), true};
                qputenv("CUPS_SERVER", QFile::encodeName(cups + QStringLiteral("/socket")));
            } else if (rest == QLatin1String("unreachable"))
                qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
            else if (rest != QLatin1String("without default"))
                qputenv("LPDEST", rest.toUtf8());
            cupsSetServer(nullptr); // read the variables again
#endif
            station.systemPrinter = true;
        } else if (word == QLatin1String("paper")) {
            // The station's job, once the test queue has none left to do:
            // cups-pdf has then written it whole, named after the job's title
            // with its blanks and colons as "_", into the folder its
            // configuration names for the user.
            if (!QTest::qWaitFor([] { return tool(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("bmi-pondra-test")}).isEmpty(); }, 60000))
                throw Stop{QStringLiteral("the test queue did not finish its jobs")};
            const QStringList user = tool(QStringLiteral("getent"), {QStringLiteral("passwd"), tool(QStringLiteral("id"), {QStringLiteral("-u")}).trimmed()}).split(QLatin1Char(':'));
            const QDir out(kHostRoot + tool(QStringLiteral("sed"), {QStringLiteral("-n"), QStringLiteral("s/^Out //p"), QStringLiteral("/etc/cups/cups-pdf.conf")})
                               .trimmed().replace(QStringLiteral("${HOME}"), user.value(5)).replace(QStringLiteral("${USER}"), user.value(0)));
            QFileInfoList printed = out.entryInfoList({QString(station.document).replace(QRegularExpression(QStringLiteral("[ :]")), QStringLiteral("_")) + QStringLiteral("*-job_*.pdf")},
                                                      QDir::Files, QDir::Time);
            printed.removeIf([&](const QFileInfo &pdf) { return pdf.lastModified() < started; });
            if (printed.isEmpty())
                throw Stop{QStringLiteral("no PDF of the job \"%1\" in %2").arg(station.document, out.path())};
            const QString pdf = hostPath(printed[0].filePath());
            station.events << QStringLiteral("on paper: ") + tool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}).simplified();
            pictures << std::pair{firstPage(pdf, station), base + QStringLiteral("-paper.png")};
            QFile::remove(printed[0].filePath());
        }
        else if (word == QLatin1String("show"))
            station.events << QStringLiteral("shown: ") + station.state().join(QStringLiteral("\n    "));
        else if (word == QLatin1String("focus"))
            station.events << QStringLiteral("focus: ") + QApplication::focusWidget()->objectName();
        else if (word == QLatin1String("window"))
            pictures << std::pair{station.window->grab().toImage(), base + QStringLiteral("-window.png")};
        else
            throw Stop{QStringLiteral("unknown step here (one only Linux has is marked \"(Linux) \"): ") + step};
    }

#ifdef Q_OS_LINUX
    for (const int watching : station.opened())
        station.events << QStringLiteral("opened: ") + watched.value(watching);
#endif
    if (const qsizetype left = station.window->findChildren<QProcess *>().size())
        station.events << QStringLiteral("processes left: %1").arg(left);
    QFile called(station.home.path() + QStringLiteral("/called"));
    if (called.open(QIODevice::ReadOnly))
        station.events << QStringLiteral("stub called: ") + QString::fromUtf8(called.readAll()).trimmed();
    QStringList shown = station.state() << QStringLiteral("events:");
    for (const QString &event : std::as_const(station.events))
        shown << QStringLiteral("  ") + printable(event);
    shown << QStringLiteral("data folder changes:");
    const auto after = station.snapshot();
    before = before.value_or(QMap<QString, QByteArray>());
    for (const QString &name : before->keys())
        if (!after.contains(name))
            shown << QStringLiteral("  ") + name + QStringLiteral(" removed");
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before->value(it.key()) == it.value())
            continue;
        if (!it.key().endsWith(QLatin1String(".pdf"))) {
            shown << QStringLiteral("  ") + it.key() + QStringLiteral(" = ") + escape(it.value());
            continue;
        }
        // A PDF as a person reads it: its text, and its first page as a picture.
        const QString pdf = station.file(it.key());
        const QString text = tool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), hostPath(pdf), QStringLiteral("-")});
        const QString title = tool(QStringLiteral("pdfinfo"), {hostPath(pdf)}).section(QStringLiteral("Title:"), 1).section(QLatin1Char('\n'), 0, 0);
        shown << QStringLiteral("  %1, %2 pages, titled %3:").arg(it.key()).arg(text.count(QLatin1Char('\f'))).arg(title.trimmed());
        for (const QString &line : text.split(QLatin1Char('\n')))
            shown << QStringLiteral("    ") + printable(line);
        pictures << std::pair{firstPage(hostPath(pdf), station), base + QStringLiteral("-page1.png")};
    }
    const QImage drawing = station.find<QWidget>(QStringLiteral("DrawingSurface"))->grab().toImage();
    QImage blank(drawing.size(), drawing.format());
    blank.fill(station.window->palette().color(QPalette::Window));
    const QString chart = drawing == blank ? QStringLiteral("blank") : drawing == drawn ? QStringLiteral("as the step draw left it")
                                                                                       : QFileInfo(base).fileName() + QStringLiteral(".png");
    if (chart.endsWith(QLatin1String(".png")))
        pictures << std::pair{drawing, base + QStringLiteral(".png")};
    shown << QStringLiteral("chart: ") + chart;
    // The temporary folder has another name in every run.
    return today(shown.join(QLatin1Char('\n')).replace(station.data, QStringLiteral("<Daten>/"))
                     .replace(QDir::toNativeSeparators(station.data), QStringLiteral("<Daten>/"))) + QLatin1Char('\n');
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
    static const QRegularExpression condition(QStringLiteral("^(scale|locale|system) (.*)$"), QRegularExpression::MultilineOption);
    const QMap<QString, QString> run{{QStringLiteral("scale"), qEnvironmentVariable("QT_SCALE_FACTOR")},
                                     {QStringLiteral("locale"), qEnvironmentVariable("LC_ALL")}, {QStringLiteral("system"), kSystem}};
    for (const QFileInfo &info : QDir(QStringLiteral(SCENARIOS_DIR)).entryInfoList({QStringLiteral("*.txt")})) {
        QFile file(info.filePath());
        file.open(QIODevice::ReadOnly);
        const QString steps = QString::fromUtf8(file.readAll()).section(kExpected, 0, 0);
        // Under Wine a visit that prints through a queue is made on Qt's
        // Windows platform, whose print engine draws with the system's fonts;
        // one without a print service by a program started without one, as
        // Wine reads its printers from CUPS when a program starts.
        static const QRegularExpression queue(QStringLiteral("^printer bmi-pondra-"), QRegularExpression::MultilineOption);
        static const QRegularExpression noService(QStringLiteral("^printer (none|unreachable)$"), QRegularExpression::MultilineOption);
        bool here = kSystem != QLatin1String("Windows")
            || (queue.match(steps).hasMatch() == (QGuiApplication::platformName() == QLatin1String("windows"))
                && noService.match(steps).hasMatch() == qEnvironmentVariableIsSet("CUPS_SERVER"));
        for (const QRegularExpressionMatch &match : condition.globalMatch(steps))
            here = here && run.value(match.captured(1)) == match.captured(2);
        if (here)
            QTest::newRow(qPrintable(info.baseName())) << info.filePath();
    }
}

// Wine prints through a PostScript driver of its own, with the printable
// area of the queue: a page on paper keeps a Windows picture beside it.
QString reference(const QString &picture)
{
    const QString windows = picture.chopped(4) + QStringLiteral("-windows.png");
    return kSystem == QLatin1String("Windows") && picture.endsWith(QLatin1String("-paper.png")) ? windows : picture;
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
        shown = carryOut(station, forThisSystem(steps).split(QLatin1Char('\n'), Qt::SkipEmptyParts), path.chopped(4), pictures);
    } catch (const Stop &stop) {
        if (stop.missing && !kInCi)
            QSKIP(qPrintable(stop.why));
        QFAIL(qPrintable(stop.why + QLatin1String(stop.missing ? " (under CI what is missing fails)" : "")));
    }

    const QStringList got = shown.split(QLatin1Char('\n'));
    if (qEnvironmentVariableIsSet("BMI_UPDATE_EXPECTED")) {
        QVERIFY2(!kInCi, "BMI_UPDATE_EXPECTED: CI compares, it never writes what is expected");
        QVERIFY2(forThisSystem(expected) == expected, "lines marked for one system are updated by hand");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write((steps + kExpected + shown).toUtf8());
        for (const auto &[picture, name] : pictures)
            QVERIFY2(picture.save(reference(name)), qPrintable(reference(name)));
        QFAIL("written: review it with git diff, then run the test again");
    }
    const QStringList mine = forThisSystem(expected).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < qMax(got.size(), mine.size()); ++i) {
        QVERIFY2(got.value(i) == mine.value(i), qPrintable(QStringLiteral("line %1 of the expected part:\n   got: %2\n  want: %3")
                                                               .arg(i + 1).arg(got.value(i), mine.value(i))));
    }
    for (const auto &[picture, name] : pictures)
        QVERIFY2(!picture.isNull() && picture == QImage(reference(name)).convertToFormat(picture.format()), qPrintable(reference(name)));
}

int main(int argc, char *argv[])
{
    // Started again as another station (tests/system/shared-folder.sh): one
    // that stores records, one that saves the same report again and again, or
    // one that holds a person file's lock until told to let go and then
    // appends a line of its own.
    if (argc == 5 && qstrcmp(argv[1], "station") == 0) {
        for (int n = 0; n < std::atoi(argv[4]); ++n) {
            for (int person = 0; person < std::atoi(argv[3]); ++person) {
                const QString name = QStringLiteral("Zwei Stationen %1").arg(person);
                if (const QString failed = PersonFile::store(PersonFile::path(name), (name + " " + argv[2]).toLatin1(),
                        QStringLiteral("  %1%2 BMI: 22").arg(argv[2]).arg(n).toLatin1()); !failed.isEmpty())
                    return std::puts(qPrintable(failed)), 1;
            }
        }
        return 0;
    }
    if (argc == 4 && qstrcmp(argv[1], "print") == 0) {
        QApplication app(argc, argv);
        for (int n = 0; n < std::atoi(argv[3]); ++n) {
            const auto printer = SystemPrinter::open({{}, QString::fromStdString(Native::dataFolder()) + "Zwei Stationen.pdf"});
            printer->printLine(argv[2] + QString::number(n));
            if (const QString said = printer->endDocument(); !said.endsWith(QLatin1String(".pdf")))
                return std::puts(qPrintable(said)), 1;
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
    canMount = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    qputenv("FONTCONFIG_FILE", SCENARIOS_DIR "/../fonts.conf");
#endif
    QApplication app(argc, argv);
    TestScenarios test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scenarios.moc"
