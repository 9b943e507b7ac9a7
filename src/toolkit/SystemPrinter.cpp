#include "toolkit/SystemPrinter.h"

#include "system/Native.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QTextLayout>

namespace {

constexpr int kDotsPerInch = 600;
constexpr qreal kDotsPerTwip = kDotsPerInch / 1440.0;
// More than a page could show of one line, even wrapped over a few lines;
// laying out a line of megabytes would hold the window for many seconds.
constexpr qsizetype kPrintableLength = 4000;

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("die Datei %1 kann nicht geschrieben werden (%2)").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

std::unique_ptr<Printer> SystemPrinter::open(const Job &job)
{
    return std::unique_ptr<Printer>(new SystemPrinter(job));
}

SystemPrinter::SystemPrinter(const Job &job)
    : m_job(job)
    , m_font(QStringLiteral("Sans Serif"))
{
    // Why the pages go into a PDF, in the order of Native::Printers.
    const char *const notPrinted[] = {"", "Kein Standarddrucker eingerichtet.", "Kein Drucker eingerichtet.",
                                      "Der Druckdienst ist nicht erreichbar."};
    std::string name;
    const Native::Printers printers = Native::printers(name);
    m_notPrinted = QString::fromUtf8(notPrinted[int(printers)]);
    if (printers == Native::Printers::Default) {
        m_printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(QString::fromStdString(name)),
                                               QPrinter::HighResolution);
        m_printer->setResolution(kDotsPerInch);
        m_printer->setColorMode(QPrinter::Color);
        m_printer->setDocName(job.documentName);
        m_device = m_printer.get();
    } else {
        m_file = std::make_unique<QSaveFile>(job.pdfPath);
        m_pdf = std::make_unique<QPdfWriter>(m_file.get());
        m_pdf->setResolution(kDotsPerInch);
        m_pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                         QPageLayout::Millimeter));
        m_pdf->setTitle(job.documentName);
        m_device = m_pdf.get();
    }
    m_font.setStyleHint(QFont::SansSerif);
    setFontSize(10);
}

void SystemPrinter::fail(const QString &reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
    if (!m_painter.isActive())
        return;
    if (m_printer)
        m_printer->abort();
    else
        m_file->cancelWriting();
    m_painter.end();
}

bool SystemPrinter::begin()
{
    if (m_painter.isActive() || !m_failure.isEmpty())
        return m_painter.isActive();
    // A PDF is never written through a link, nor in place of a folder.
    const QFileInfo target(m_job.pdfPath);
    if (!m_printer && m_job.pdfPath.isEmpty())
        fail(QStringLiteral("der Name ergibt keinen zulässigen Dateinamen"));
    else if (!m_printer && (target.isSymLink() || (target.exists() && !target.isFile())))
        fail(cannotWrite(m_job.pdfPath, QStringLiteral("keine gewöhnliche Datei")));
    else if (!m_printer && !m_file->open(QIODevice::WriteOnly))
        fail(cannotWrite(m_job.pdfPath, m_file->errorString()));
    else if (m_painter.begin(m_device))
        m_painter.setFont(m_font);
    else
        fail(m_printer ? QStringLiteral("der Drucker %1 nimmt keinen Auftrag an").arg(m_printer->printerName())
                       : cannotWrite(m_job.pdfPath, QStringLiteral("Ausgabe nicht möglich")));
    return m_painter.isActive();
}

QPointF SystemPrinter::toDots(qreal x, qreal y) const
{
    return {x * kDotsPerTwip, y * kDotsPerTwip};
}

void SystemPrinter::setFontSize(qreal points)
{
    m_font.setPointSizeF(points);
    m_lineHeight = QFontMetricsF(m_font, m_device).lineSpacing() / kDotsPerTwip;
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

void SystemPrinter::printLine(const QString &text)
{
    if (!begin())
        return;
    QTextLayout layout(text.left(kPrintableLength), m_font, m_device);
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    layout.beginLayout();
    // The first piece starts at the print position, the rest at x 0.
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(m_device->width() - (layout.lineCount() == 1 ? toDots(m_position.x(), 0).x() : 0));
    layout.endLayout();

    m_painter.setPen(Qt::black);
    const qreal pageHeight = m_device->height() / kDotsPerTwip;
    for (int i = 0; i < qMax(1, layout.lineCount()); ++i) {
        if (m_position.y() > 0 && m_position.y() + m_lineHeight > pageHeight) {
            if (!m_device->newPage())
                return fail(QStringLiteral("der Drucker meldet einen Fehler"));
            m_position.setY(0);
        }
        if (i < layout.lineCount())
            layout.lineAt(i).draw(&m_painter, toDots(m_position.x(), m_position.y()));
        m_position = QPointF(0, m_position.y() + m_lineHeight);
    }
}

void SystemPrinter::segment(float x1, float y1, float x2, float y2)
{
    if (!begin())
        return;
    m_painter.setPen(QPen(Qt::black, m_drawWidth));
    m_painter.drawLine(toDots(x1, y1), toDots(x2, y2));
    m_position = QPointF(x2, y2);
}

void SystemPrinter::box(float x1, float y1, float x2, float y2, const QColor &outline)
{
    if (!begin())
        return;
    m_painter.setPen(QPen(outline, m_drawWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    m_painter.drawRect(QRectF(toDots(x1, y1), toDots(x2, y2)).normalized());
    m_position = QPointF(x2, y2);
}

QString SystemPrinter::endDocument()
{
    if (m_painter.isActive() && !m_painter.end())
        fail(QStringLiteral("der Drucker meldet einen Fehler"));
    if (m_failure.isEmpty() && m_printer) {
        const Native::Result job = Native::lastPrintJob();
        if (m_printer->printerState() == QPrinter::Error || !job.ok())
            fail(job.ok() ? QStringLiteral("der Drucker meldet einen Fehler") : QString::fromStdString(job.reason));
    }
    if (m_failure.isEmpty() && m_file && !m_file->commit())
        fail(cannotWrite(m_job.pdfPath, m_file->errorString()));
    if (!m_failure.isEmpty())
        return QStringLiteral("Drucken nicht möglich: ") + m_failure;
    if (m_file)
        return m_notPrinted + QStringLiteral(" Der Ausdruck wurde gespeichert unter: ")
            + QDir::toNativeSeparators(m_job.pdfPath);
    return {};
}
