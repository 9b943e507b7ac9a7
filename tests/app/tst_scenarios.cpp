// Each file in scenarios/ is one visit to the station: what the data folder
// holds and what a person does, then, after "--- expected", everything the
// station shows afterwards: fields, focus, list, the printer's calls and the
// message boxes in order, what changed in the data folder, which watched
// entries were opened; the drawn chart, a printed PDF's first page and, on
// the step "window", the whole window are PNGs beside the file.
// BMI_UPDATE_EXPECTED=1 writes what the program does now in place of the
// expected part, for a person to review.
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

#ifdef Q_OS_LINUX
#include <cups/cups.h>

#include <csignal>
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

// Today's date as the station writes it in German (Windows' own short form
// has no leading zeros) and in English (US).
QString today(QString text)
{
    const QDate now = QDate::currentDate();
    return text.replace(now.toString(u"dd.MM.yyyy"), QStringLiteral("<heute>"))
        .replace(now.toString(u"d.M.yyyy"), QStringLiteral("<heute>"))
        .replace(now.toString(u"M/d/yyyy"), QStringLiteral("<heute M/d/yyyy>"));
}

QString quoted(const QString &text)
{
    if (const QString date = today(text); date.startsWith(QLatin1Char('<')) && date.endsWith(QLatin1Char('>')))
        return date;
    if (text.size() > 1000) // a line of megabytes by its ends
        return quoted(text.first(100)) + QStringLiteral(" ... %1 characters ... ").arg(text.size()) + quoted(text.last(100));
    return QLatin1Char('"') + printable(text) + QLatin1Char('"');
}

QString tool(const QString &name, const QStringList &args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("/usr/bin/") + name, args);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Prints nothing; logs every call into the station's events, a text line
// with the print position it starts at (by the printer's rule, with lines
// of 20 twips per point).
class RecordingPrinter : public Printer
{
public:
    RecordingPrinter(QStringList &log, QString outcome) : m_log(log), m_outcome(std::move(outcome)) {}
    void setFontSize(qreal points) override { log(QStringLiteral("font size %1").arg(m_points = points), m_position); }
    void setDrawWidth(int pixels) override { log(QStringLiteral("draw width %1").arg(pixels), m_position); }
    void printLine(const QString &text) override
    {
        const QString shown = text.size() > 200 ? text.left(100) + QStringLiteral("... %1 characters").arg(text.size()) : text;
        log(QStringLiteral("text \"%1\" at %2").arg(shown, point(m_position)), {0, m_position.y() + 20 * m_points});
    }
    void segment(float x1, float y1, float x2, float y2) override
    {
        log(QStringLiteral("segment %1 %2").arg(point({x1, y1}), point({x2, y2})), {x2, y2});
    }
    void box(float x1, float y1, float x2, float y2, const QColor &outline) override
    {
        log(QStringLiteral("box %1 %2 %3").arg(point({x1, y1}), point({x2, y2}), outline.name()), {x2, y2});
    }
    QString endDocument() override
    {
        log(QStringLiteral("end document"), m_position);
        return m_outcome;
    }

private:
    static QString point(QPointF p) { return QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y()); }
    void log(const QString &call, QPointF moveTo)
    {
        m_log << call;
        m_position = moveTo;
    }
    QStringList &m_log;
    QString m_outcome;
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
    QList<MessageBox::Answer> answers; // the next answers, else OK
    QString printOutcome;
    bool systemPrinter = false;
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
            events << QStringLiteral("printer \"%1\" pdf \"%2\"").arg(job.documentName, job.pdfPath);
            return systemPrinter ? SystemPrinter::open(job) : std::make_unique<RecordingPrinter>(events, printOutcome);
        });
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the window did not become active");
    }

    void answerBoxes()
    {
        MessageBox::answerWith([this](const QString &text) {
            events << QStringLiteral("message \"%1\"").arg(QString(text).replace(QLatin1Char('\n'), QStringLiteral("\\n")));
            return answers.isEmpty() ? MessageBox::Ok : answers.takeFirst();
        });
    }
    QString file(const QString &name) const { return data + name; }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(file(name));
        f.open(QIODevice::WriteOnly);
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

    // Each control in stacking order, bottom first: kind, name, pixels,
    // caption, font, and what else a person could tell apart.
    QStringList controls() const
    {
        QStringList lines{QStringLiteral("%1 %2x%3").arg(window->windowTitle()).arg(window->width()).arg(window->height())};
        for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QRect r = child->geometry();
            QString line = QStringLiteral("%1 %2 (%3, %4, %5x%6)").arg(QString::fromLatin1(child->metaObject()->className()),
                child->objectName()).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
            for (const char *property : {"text", "maxLength", "checked"}) {
                if (const QVariant value = child->property(property); value.isValid())
                    line += QStringLiteral(" %1 %2").arg(QLatin1String(property), quoted(value.toString()));
            }
            if (child->inherits("QLineEdit") && child->focusPolicy() == Qt::NoFocus)
                line += QStringLiteral(" takes no focus");
            if (!child->inherits("FrameLine") && !child->inherits("DrawingSurface"))
                line += QStringLiteral(" %1pt%2").arg(child->font().pointSizeF()).arg(child->font().bold() ? " bold" : "");
            const QColor colour = child->palette().color(child->foregroundRole());
            if (colour != window->palette().color(QPalette::WindowText) && colour != window->palette().color(QPalette::Text))
                line += QStringLiteral(" in ") + colour.name();
            lines << line;
        }
        return lines;
    }
};

// Carries out the steps; returns what the station shows afterwards, and the
// pictures to compare: the chart, unless nothing is drawn, and the first pages
// of the PDFs written, named after the scenario (base).
QString carryOut(Station &station, const QString &steps, const QString &base, QList<std::pair<QImage, QString>> &pictures)
{
    std::optional<QMap<QString, QByteArray>> before;
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    std::vector<std::unique_ptr<QProcess>> others;
#ifdef Q_OS_LINUX
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QMap<int, QString> watched;
    rlim_t sizeLimit = RLIM_INFINITY;
    bool asNobody = false;
#endif
    QStringList keys; // for real message boxes
    for (const QString &step : steps.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString word = step.section(QLatin1Char(' '), 0, 0);
        const QString rest = step.section(QLatin1Char(' '), 1);
        const QString left = rest.section(QStringLiteral(" = "), 0, 0);
        const QString right = rest.startsWith(QLatin1String("= ")) ? rest.mid(2) : rest.section(QStringLiteral(" = "), 1);
        const QByteArray path = QFile::encodeName(station.file(left));
        const bool acts = word == QLatin1String("press") || word == QLatin1String("key") || word == QLatin1String("waits");
        // Noted before the first watch, as reading the files opens them.
        if ((acts || word == QLatin1String("watch")) && !before)
            before = station.snapshot();
#ifndef Q_OS_LINUX
        // Symbolic links (Wine makes none), FIFOs, devices, modes, inotify,
        // mounts, size limits, other users, stand-in commands and CUPS queues
        // are the Linux test machine's.
        static const QStringList linuxOnly{"link", "fifo", "device", "mode", "watch", "disk", "fill", "limit", "nobody", "stub", "paper"};
        if (linuxOnly.contains(word) || (word == QLatin1String("printer") && left != QLatin1String("says")))
            return QStringLiteral("skip: the step \"%1\" needs Linux").arg(word);
#endif
        if (word.startsWith(QLatin1Char('#')))
            continue;
        else if (word == QLatin1String("file"))
            station.write(left, unescape(right));
        else if (word == QLatin1String("scale") || word == QLatin1String("locale")) {
            const char *variable = word == QLatin1String("scale") ? "QT_SCALE_FACTOR" : "LC_ALL";
            if (qgetenv(variable) != rest)
                return QStringLiteral("skip: ctest runs this again with %1=%2").arg(QLatin1String(variable), rest);
        } else if (word == QLatin1String("big"))
            station.write(left, QByteArray(right.section(QLatin1Char(' '), 0, 0).toInt(), 'x') + unescape(right.section(QLatin1Char(' '), 1)));
        else if (word == QLatin1String("folder"))
            QDir(station.data).mkdir(rest);
        else if (word == QLatin1String("link"))
            QFile::link(right, station.file(left));
        else if (word == QLatin1String("remove"))
            QFile::remove(station.file(rest)) || QDir(station.data).rmdir(rest);
#ifdef Q_OS_LINUX
        else if (word == QLatin1String("fifo"))
            ::mkfifo(path, 0600);
        else if (word == QLatin1String("device")) {
            if (::mknod(path, S_IFCHR | 0666, makedev(1, 3)) != 0) // like /dev/null
                return QStringLiteral("skip: making a device needs root");
        } else if (word == QLatin1String("mode"))
            ::chmod(path, right.toUInt(nullptr, 8));
        else if (word == QLatin1String("watch"))
            watched.insert(inotify_add_watch(watch, path, IN_OPEN | IN_DONT_FOLLOW), left);
        else if (word == QLatin1String("disk")) {
            const QByteArray folder = QFile::encodeName(station.data);
            if (!canMount)
                return QStringLiteral("skip: mounting needs root and a mount namespace");
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
                return QStringLiteral("skip: acting as another user needs root");
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
            station.find<QLineEdit>(left)->setText(right);
        else if (word == QLatin1String("list"))
            station.find<ListBox>(QStringLiteral("List1"))->setLines(TextLines(unescape(right)));
        else if (word == QLatin1String("scroll")) { // the list, to its right end
            QScrollBar *sideways = station.find<ListBox>(QStringLiteral("List1"))->horizontalScrollBar();
            QCoreApplication::processEvents(); // the list lays itself out
            sideways->setValue(sideways->maximum());
        } else if (word == QLatin1String("draw"))
            station.find<DrawingSurface>(QStringLiteral("DrawingSurface"))->segment(4000, 200, 11000, 4000);
        else if (acts) {
            // A file size limit cuts a write short (instead of SIGXFSZ); as
            // nobody, permission bits hold for root too. Boxes shown for real
            // are answered by keys once they are up.
#ifdef Q_OS_LINUX
            const rlimit limit{sizeLimit, RLIM_INFINITY};
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::setfsuid(asNobody ? 65534 : 0);
#endif
            // The timer also shows that the window goes on while a press waits.
            int ticks = 0;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
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
                station.events << QStringLiteral("waited %1 s, the window went on: %2").arg(qRound(clock.elapsed() / 1000.0)).arg(ticks > 30 ? "yes" : "no");
            station.answerBoxes();
#ifdef Q_OS_LINUX
            ::setfsuid(0);
            const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &none);
#endif
        } else if (word == QLatin1String("type"))
            QTest::keyClicks(QApplication::focusWidget(), rest);
        else if (word == QLatin1String("answer"))
            station.answers << (rest == QLatin1String("Cancel") ? MessageBox::Cancel : MessageBox::Ok);
        else if (word == QLatin1String("boxes"))
            keys = rest.split(QLatin1Char(' '));
        else if (word == QLatin1String("wait"))
            QTest::qWait(rest.toInt());
        else if (word == QLatin1String("hold")) {
            // Another station holds the person file's lock for a while.
            others.push_back(std::make_unique<QProcess>());
            others.back()->start(QCoreApplication::applicationFilePath(), {QStringLiteral("hold"), station.file(left), right});
            others.back()->waitForReadyRead(20000);
        } else if (word == QLatin1String("printer") && left == QLatin1String("says"))
            station.printOutcome = right;
#ifdef Q_OS_LINUX
        else if (word == QLatin1String("stub")) {
            // In place of a system command: notes how it was called, ends as told.
            QFile command(station.home.path() + QStringLiteral("/bin/") + left);
            command.open(QIODevice::WriteOnly);
            command.write(QStringLiteral("#!/bin/sh\necho \"%1 $@\" >> \"$HOME/called\"\n%2\n").arg(left, right).toUtf8());
            command.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        } else if (word == QLatin1String("printer")) {
            // The real printing, with this queue as the default, or none.
            if (rest != QLatin1String("unreachable") && !tool(QStringLiteral("lpstat"), {QStringLiteral("-v")}).contains(QLatin1String("bmi-pondra")))
                return QStringLiteral("skip: no CUPS test queues: scripts/setup-test-printer.sh adds them");
            if (rest == QLatin1String("unreachable"))
                qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
            else if (rest != QLatin1String("without default"))
                qputenv("LPDEST", rest.toUtf8());
            cupsSetServer(nullptr); // read the variables again
            station.systemPrinter = true;
        } else if (word == QLatin1String("paper")) {
            // What the test queue's cups-pdf made of the job: the folder its
            // configuration names for this user.
            const passwd *user = ::getpwuid(::getuid());
            const QDir out(tool(QStringLiteral("sed"), {QStringLiteral("-n"), QStringLiteral("s/^Out //p"), QStringLiteral("/etc/cups/cups-pdf.conf")})
                               .trimmed().replace(QStringLiteral("${HOME}"), QString::fromLocal8Bit(user->pw_dir))
                               .replace(QStringLiteral("${USER}"), QString::fromLocal8Bit(user->pw_name)));
            QFileInfoList printed;
            for (int i = 0; i < 600 && printed.isEmpty(); ++i, QTest::qWait(100)) {
                printed = out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time).mid(0, 1);
                printed.removeIf([&](const QFileInfo &pdf) { return pdf.lastModified() < started; });
            }
            QTest::qWait(2000); // cups-pdf writes the file in steps
            for (const QFileInfo &pdf : printed) {
                station.events << QStringLiteral("on paper as %1: ").arg(pdf.fileName().section(QStringLiteral("__"), 0, 1)) + tool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf.filePath(), QStringLiteral("-")}).simplified();
                QFile::remove(pdf.filePath());
            }
        }
#endif
        else if (word == QLatin1String("show"))
            station.events << QStringLiteral("shown: ") + station.state().join(QStringLiteral("\n    "));
        else if (word == QLatin1String("focus"))
            station.events << QStringLiteral("focus: ") + QApplication::focusWidget()->objectName();
        else if (word == QLatin1String("window"))
            pictures << std::pair{station.window->grab().toImage(), base + QStringLiteral("-window.png")};
        else if (word == QLatin1String("controls"))
            station.events << QStringLiteral("controls: ") + station.controls().join(QStringLiteral("\n    "));
        else
            return QStringLiteral("unknown step: ") + step;
    }

#ifdef Q_OS_LINUX
    inotify_event opened[64];
    const ssize_t n = ::read(watch, opened, sizeof opened);
    for (ssize_t i = 0; i < n / ssize_t(sizeof(inotify_event)); ++i) {
        if (opened[i].mask & IN_OPEN)
            station.events << QStringLiteral("opened: ") + watched.value(opened[i].wd);
    }
    ::close(watch);
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
        const QString text = tool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
        const QString title = tool(QStringLiteral("pdfinfo"), {pdf}).section(QStringLiteral("Title:"), 1).section(QLatin1Char('\n'), 0, 0);
        shown << QStringLiteral("  %1, %2 pages, titled %3:").arg(it.key()).arg(text.count(QLatin1Char('\f'))).arg(title.trimmed());
        for (const QString &line : text.split(QLatin1Char('\n')))
            shown << QStringLiteral("    ") + printable(line);
        tool(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"),
                                          QStringLiteral("-singlefile"), pdf, station.home.path() + QStringLiteral("/page1")});
        pictures << std::pair{QImage(station.home.path() + QStringLiteral("/page1.png")), base + QStringLiteral("-page1.png")};
    }
#ifdef Q_OS_LINUX
    ::umount2(QFile::encodeName(station.data), MNT_DETACH);
#endif
    const QImage drawing = station.find<QWidget>(QStringLiteral("DrawingSurface"))->grab().toImage();
    QImage blank(drawing.size(), drawing.format());
    blank.fill(station.window->palette().color(QPalette::Window));
    if (drawing != blank)
        pictures << std::pair{drawing, base + QStringLiteral(".png")};
    shown << QStringLiteral("chart: ") + (drawing == blank ? QStringLiteral("blank") : QFileInfo(base).fileName() + QStringLiteral(".png"));
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
    for (const QFileInfo &info : QDir(QStringLiteral(SCENARIOS_DIR)).entryInfoList({QStringLiteral("*.txt")}))
        QTest::newRow(qPrintable(info.baseName())) << info.filePath();
}

void TestScenarios::visit()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString scenario = QString::fromUtf8(file.readAll());
    file.close();
    const qsizetype split = scenario.indexOf(kExpected);
    const QString steps = scenario.left(split < 0 ? scenario.size() : split);
    Station station;
    QList<std::pair<QImage, QString>> pictures;
    const QString shown = carryOut(station, steps, path.chopped(4), pictures);
    if (shown.startsWith(QLatin1String("skip: ")))
        QSKIP(qPrintable(shown));

    // Each system draws text with its own rasteriser: where a picture with
    // text differs, Windows keeps a reference of its own beside the file.
    const auto wanted = [](const QImage &picture, const QString &name) {
        const QString windows = name.chopped(4) + QStringLiteral("-windows.png");
        const bool own = QSysInfo::productType() == QLatin1String("windows")
            && (QFile::exists(windows) || picture != QImage(name).convertToFormat(picture.format()));
        return own ? windows : name;
    };
    if (qEnvironmentVariableIsSet("BMI_UPDATE_EXPECTED")) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write((steps + kExpected + shown).toUtf8());
        for (const auto &[picture, name] : pictures)
            picture.save(wanted(picture, name));
        return;
    }
    const QStringList got = shown.split(QLatin1Char('\n'));
    const QStringList expected = scenario.mid(split + kExpected.size()).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < qMax(got.size(), expected.size()); ++i) {
        QVERIFY2(got.value(i) == expected.value(i), qPrintable(QStringLiteral("line %1 of the expected part:\n   got: %2\n  want: %3")
                                                                  .arg(i + 1).arg(got.value(i), expected.value(i))));
    }
    for (const auto &[picture, name] : pictures) {
        const QString reference = wanted(picture, name);
        QVERIFY2(picture == QImage(reference).convertToFormat(picture.format()), qPrintable(reference));
    }
}

int main(int argc, char *argv[])
{
    // Started again as another station (tests/system/shared-folder.sh): one
    // that stores records, one that saves the same report again and again, or
    // one that holds a person file's lock for a while and then appends a line
    // of its own.
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
    if (argc == 4 && qstrcmp(argv[1], "hold") == 0) {
        const Native::Opened opened = Native::openForAppend(argv[2]);
        if (!opened.result.ok() || !Native::lockExclusive(opened.file, 0, [] {}).ok())
            return 1;
        std::puts("held");
        std::fflush(stdout);
        QThread::msleep(std::atoi(argv[3]));
        return Native::appendBlock(opened.file, "  von der anderen Station\r\n", true).ok() ? 0 : 1;
    }
#ifdef Q_OS_LINUX
    canMount = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
#endif
    QApplication app(argc, argv);
    TestScenarios test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scenarios.moc"
