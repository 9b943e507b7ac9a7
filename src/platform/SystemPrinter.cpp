#include "platform/SystemPrinter.h"

#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPrinter>
#include <QPrinterInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qreal kTwipsPerInch = 1440.0;
constexpr qreal kPixelsPerTwip = SystemPrinter::kDotsPerInch / kTwipsPerInch;
// No page is wide enough to show more characters of one line, even at the
// smallest size printed; laying out the rest of a line of megabytes would
// hold the window for many seconds.
constexpr qsizetype kPrintableLength = 4000;

QPointF toPixels(qreal x, qreal y)
{
    return {x * kPixelsPerTwip, y * kPixelsPerTwip};
}

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("die Datei %1 kann nicht geschrieben werden (%2)").arg(QDir::toNativeSeparators(path), reason);
}

// A PDF that was cut short (a full disk) lacks its closing marker.
bool endsLikePdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 8)
        return false;
    file.seek(qMax<qint64>(0, file.size() - 32));
    return file.readAll().contains("%%EOF");
}

} // namespace

std::unique_ptr<Printer> SystemPrinter::open(const Job &job)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull())
        return toPrinter(printer, job.documentName);
    return toPdfFile(job.fallbackPdfPath, job.documentName);
}

std::unique_ptr<SystemPrinter> SystemPrinter::toPrinter(const QPrinterInfo &info, const QString &documentName)
{
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setDocName(documentName);
    return std::unique_ptr<SystemPrinter>(new SystemPrinter(std::move(printer), QString()));
}

std::unique_ptr<SystemPrinter> SystemPrinter::toPdfFile(const QString &path, const QString &documentName)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setDocName(documentName);
    printer->setCreator(QStringLiteral("BMI - Pondra"));
    auto result = std::unique_ptr<SystemPrinter>(new SystemPrinter(std::move(printer), path));
    if (path.isEmpty())
        result->fail(QStringLiteral("der Name ergibt keinen zulässigen Dateinamen"));
    return result;
}

SystemPrinter::SystemPrinter(std::unique_ptr<QPrinter> printer, const QString &pdfPath)
    : m_printer(std::move(printer))
    , m_pdfPath(pdfPath)
{
    m_printer->setResolution(kDotsPerInch);
    m_printer->setColorMode(QPrinter::Color);
    m_printer->setFullPage(false);
    m_font = QFont(QStringLiteral("Sans Serif"));
    m_font.setStyleHint(QFont::SansSerif);
    setFontSize(10);
}

SystemPrinter::~SystemPrinter()
{
    // A document that was never ended is thrown away, not printed.
    if (m_state == State::Printing)
        fail(QString());
    discardPdfPart();
}

void SystemPrinter::fail(const QString &reason)
{
    if (m_state == State::Failed)
        return;
    m_state = State::Failed;
    m_failure = reason;
    if (m_painter.isActive()) {
        if (m_pdfPath.isEmpty())
            m_printer->abort();
        m_painter.end();
    }
    discardPdfPart();
}

bool SystemPrinter::openPdfPart()
{
    // Never write through a symlink or into something that is no file.
    if (TextFile::presence(m_pdfPath) == TextFile::Presence::Unusable) {
        fail(cannotWrite(m_pdfPath, TextFile::reasonText(TextFile::NotRegularFile)));
        return false;
    }
    const QFileInfo target(m_pdfPath);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString part = target.absolutePath() + QStringLiteral("/.") + target.fileName()
            + QStringLiteral(".%1-%2.part").arg(QCoreApplication::applicationPid()).arg(attempt);
        const int fd = ::open(QFile::encodeName(part).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              0666);
        if (fd >= 0) {
            ::close(fd);
            m_partPath = part;
            m_printer->setOutputFileName(part);
            return true;
        }
        if (errno != EEXIST) {
            fail(cannotWrite(m_pdfPath, TextFile::reasonText(errno)));
            return false;
        }
    }
    fail(cannotWrite(m_pdfPath, TextFile::reasonText(EEXIST)));
    return false;
}

void SystemPrinter::discardPdfPart()
{
    if (!m_partPath.isEmpty())
        ::unlink(QFile::encodeName(m_partPath).constData());
    m_partPath.clear();
}

bool SystemPrinter::begin()
{
    if (m_state == State::Printing)
        return true;
    if (m_state != State::NotBegun)
        return false;
    if (!m_pdfPath.isEmpty() && !openPdfPart())
        return false;
    if (!m_painter.begin(m_printer.get())) {
        fail(m_pdfPath.isEmpty()
                 ? QStringLiteral("der Drucker %1 nimmt keinen Auftrag an").arg(m_printer->printerName())
                 : cannotWrite(m_pdfPath, QStringLiteral("Ausgabe nicht möglich")));
        return false;
    }
    m_state = State::Printing;
    m_painter.setFont(m_font);
    return true;
}

void SystemPrinter::setFontSize(qreal points)
{
    m_font.setPointSizeF(points);
    // Measured on the printer, whose 600 dpi the point size is set in.
    const QFontMetricsF metrics(m_font, m_printer.get());
    m_lineHeight = metrics.lineSpacing() / kPixelsPerTwip;
    m_ascent = metrics.ascent() / kPixelsPerTwip;
    if (m_state == State::Printing)
        m_painter.setFont(m_font);
}

void SystemPrinter::setDrawWidth(int pixels)
{
    m_drawWidth = qMax(1, pixels);
}

void SystemPrinter::printLine(const QString &text)
{
    if (!begin())
        return;
    const qreal pageHeight = m_printer->height() / kPixelsPerTwip;
    if (m_position.y() > 0 && m_position.y() + m_lineHeight > pageHeight) {
        if (!m_printer->newPage()) {
            fail(QStringLiteral("der Drucker %1 meldet einen Fehler").arg(m_printer->printerName()));
            return;
        }
        m_position.setY(0);
    }
    m_painter.drawText(toPixels(m_position.x(), m_position.y() + m_ascent), text.left(kPrintableLength));
    m_position = QPointF(0, m_position.y() + m_lineHeight);
}

void SystemPrinter::preparePen(const QColor &color)
{
    QPen pen(color);
    pen.setWidth(m_drawWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
}

void SystemPrinter::segment(float x1, float y1, float x2, float y2)
{
    if (!begin())
        return;
    preparePen(Qt::black);
    m_painter.drawLine(toPixels(x1, y1), toPixels(x2, y2));
    m_position = QPointF(x2, y2);
}

void SystemPrinter::box(float x1, float y1, float x2, float y2, const QColor &outline)
{
    if (!begin())
        return;
    preparePen(outline);
    m_painter.drawRect(QRectF(toPixels(x1, y1), toPixels(x2, y2)).normalized());
    m_position = QPointF(x2, y2);
}

Printer::Outcome SystemPrinter::endDocument()
{
    if (m_state == State::NotBegun) {
        m_state = State::Ended;
        return {};
    }
    if (m_state == State::Printing) {
        m_state = State::Ended;
        const bool ended = m_painter.end();
        if (m_pdfPath.isEmpty()) {
            const auto state = m_printer->printerState();
            if (!ended || state == QPrinter::Error || state == QPrinter::Aborted)
                fail(QStringLiteral("der Drucker %1 meldet einen Fehler").arg(m_printer->printerName()));
        } else if (!ended) {
            fail(cannotWrite(m_pdfPath, QStringLiteral("Ausgabe nicht möglich")));
        }
    }
    if (m_state == State::Failed)
        return {false, m_failure, QString()};
    return m_pdfPath.isEmpty() ? Outcome{} : finishPdf();
}

Printer::Outcome SystemPrinter::finishPdf()
{
    const QByteArray part = QFile::encodeName(m_partPath);
    int error = 0;
    if (!endsLikePdf(m_partPath)) {
        error = ENOSPC;
    } else {
        const int fd = ::open(part.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0)
            error = errno;
        if (fd >= 0)
            ::close(fd);
    }
    // rename() replaces whatever name is at the path, a symlink included,
    // without writing through it.
    if (!error && ::rename(part.constData(), QFile::encodeName(m_pdfPath).constData()) != 0)
        error = errno;
    if (error) {
        fail(cannotWrite(m_pdfPath, TextFile::reasonText(error)));
        return {false, m_failure, QString()};
    }
    m_partPath.clear();
    return {true, QString(), m_pdfPath};
}
