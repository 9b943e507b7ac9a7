#include "platform/MessageBox.h"
#include "platform/SystemPrinter.h"
#include "support/HistoryFile.h"
#include "support/PrintedPages.h"
#include "support/StationFolder.h"
#include "support/WindowUnderTest.h"

#include <QApplication>
#include <QDir>
#include <QPrinterInfo>
#include <QProcess>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

// Set up by ./scripts/test.sh: a cups-pdf queue that turns each job into a PDF file.
const QString kQueue = QStringLiteral("bmi-pondra-test");

// Where cups-pdf puts its files: the Out setting of its configuration, for
// this process's user (whatever $HOME says now).
QString cupsPdfFolder()
{
    QString out = QStringLiteral("/var/spool/cups-pdf/${USER}");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly))
        for (const QByteArray &line : conf.readAll().split('\n'))
            if (line.simplified().startsWith("Out "))
                out = QString::fromLocal8Bit(line.simplified().mid(4));
    if (const passwd *user = ::getpwuid(::getuid()))
        out.replace("${HOME}", QString::fromLocal8Bit(user->pw_dir)).replace("${USER}", QString::fromLocal8Bit(user->pw_name));
    return out;
}

QStringList pdfsIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

} // namespace

class TestCupsPrinting : public QObject
{
    Q_OBJECT

private slots:
    void reportThroughTheDefaultPrinter();
};

void TestCupsPrinting::reportThroughTheDefaultPrinter()
{
    if (!QPrinterInfo::availablePrinterNames().contains(kQueue))
        QSKIP("No CUPS queue bmi-pondra-test: ./scripts/test.sh sets it up (CUPS, cups-pdf, root or sudo).");
    QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), kQueue);

    const QString header = QStringLiteral("Erika Beispiel  weiblich 35Jahre");
    const QStringList records = HistoryFile::records(200);
    StationFolder folder;
    folder.write(QStringLiteral("Erika Beispiel.txt"), HistoryFile::bytes(header, records));
    const QString out = cupsPdfFolder();
    const QStringList before = pdfsIn(out);

    WindowUnderTest w(&SystemPrinter::open);
    w.enter("Erika", "Beispiel", "", false, "", "");
    w.press("Command3");
    QCOMPARE(MessageBox::history(), QStringList());

    QString printed;
    auto jobDone = [&] {
        for (const QString &name : pdfsIn(out))
            if (!before.contains(name))
                printed = QDir(out).filePath(name);
        QProcess lpstat;
        lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), kQueue});
        return !printed.isEmpty() && lpstat.waitForFinished(30000) && lpstat.readAllStandardOutput().trimmed().isEmpty();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(jobDone(), qPrintable("no new PDF in " + out), 120000);

    const PrintedPages pages(printed);
    const bool shown = pages.showsInOrder(QStringList{header} + records);
    const int pageCount = pages.pageCount();
    const QRect red = PrintedPages::boundsOf(pages.page(1, 300), QColor(255, 3, 5));
    QFile::remove(printed);

    QVERIFY(shown);
    QVERIFY2(pageCount > 1, qPrintable(QString::number(pageCount)));
    // Both boxes together: 6260 by 3090 twips, at 300 dpi.
    QVERIFY2(qAbs(red.width() - 1306) <= 6 && qAbs(red.height() - 646) <= 6, qPrintable(QDebug::toString(red)));
}

int main(int argc, char *argv[])
{
    // The test queue is this program's default printer, whatever the
    // system's default is.
    qputenv("LPDEST", kQueue.toLocal8Bit());
    qputenv("PRINTER", kQueue.toLocal8Bit());
    QApplication app(argc, argv);
    TestCupsPrinting test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cupsprinting.moc"
