#include "toolkit/SystemPrinter.h"

#include "system/Native.h"
#include "system/OtherStation.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextLayout>

namespace {

constexpr int kDotsPerInch = 600;
constexpr qreal kDotsPerTwip = kDotsPerInch / 1440.0;
// More than a page could show of one line, even wrapped over a few lines;
// laying out a line of megabytes would hold the window for many seconds.
constexpr qsizetype kPrintableLength = 4000;

} // namespace

std::unique_ptr<Printer> SystemPrinter::open(const Job &job)
{
    return std::unique_ptr<Printer>(new SystemPrinter(job));
}

SystemPrinter::SystemPrinter(const Job &job)
    : m_job(job)
    // A TrueType face every Windows printer driver takes (a CFF-based face
    // crashes Wine's PostScript driver), or its metric twin.
    , m_font(QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")})
{
    // Why the pages go into a PDF, in the order of Native::Printers.
    const char *const notPrinted[] = {"", "Kein Standarddrucker eingerichtet.", "Kein Drucker eingerichtet.",
                                      "Der Druckdienst ist nicht erreichbar.",
                                      "Der Standarddrucker „%1“ druckt nur in eine Datei."};
    std::string name;
    const Native::Printers printers = Native::printers(name);
    m_printerName = QString::fromStdString(name);
    m_notPrinted = QString::fromUtf8(notPrinted[int(printers)]).replace(QStringLiteral("%1"), m_printerName);
#ifdef Q_OS_WIN
    // A Windows driver takes only pages drawn for it, by Qt's print engine.
    if (printers == Native::Printers::Default) {
        m_printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(m_printerName), QPrinter::HighResolution);
        m_printer->setResolution(kDotsPerInch);
        m_printer->setColorMode(QPrinter::Color);
        m_printer->setDocName(job.documentName);
        m_device = m_printer.get();
    }
#endif
    if (printers != Native::Printers::Default)
        m_printerName.clear();
    if (!m_printer) {
        // Otherwise a PDF in memory: CUPS takes it as it is and answers for
        // the job itself, or it is saved.
        m_pdfBytes.open(QIODevice::WriteOnly);
        m_pdf = std::make_unique<QPdfWriter>(&m_pdfBytes);
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
    m_painter.end();
}

bool SystemPrinter::begin()
{
    if (m_painter.isActive() || !m_failure.isEmpty())
        return m_painter.isActive();
    if (m_painter.begin(m_device))
        m_painter.setFont(m_font);
    else
        fail(QStringLiteral("der Drucker %1 nimmt keinen Auftrag an").arg(m_printerName));
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
    // Qt's Windows print engine, as built for the station, tells here
    // whether the spooler took the document.
    if (m_painter.isActive() && !m_painter.end())
        fail(QStringLiteral("der Drucker hat den Auftrag nicht angenommen"));
    const std::string_view pdf(m_pdfBytes.data().constData(), size_t(m_pdfBytes.size()));
#ifndef Q_OS_WIN
    if (m_failure.isEmpty() && !m_printerName.isEmpty()) {
        const Native::Result job = Native::printPdf(m_printerName.toStdString(), m_job.documentName.toStdString(), pdf);
        if (!job.ok())
            fail(QString::fromStdString(job.reason));
    }
#endif
    if (!m_failure.isEmpty())
        return QStringLiteral("Drucken nicht möglich: ") + m_failure;
    if (!m_printerName.isEmpty())
        return {};
    if (m_job.pdfPath.isEmpty())
        return m_notPrinted + QStringLiteral(" Der Ausdruck konnte nicht gespeichert werden: der Name ergibt keinen "
                                             "zulässigen Dateinamen.");
    const QString path = QDir::toNativeSeparators(m_job.pdfPath);
    // Whole under a short temporary name first, so that an older PDF stays as
    // it was until then; another station saving the same report is waited for.
    const Native::Result saved = Native::replaceWhole(m_job.pdfPath.toStdString(), pdf, OtherStation::kWaitMs,
                                                      OtherStation::whileWaiting);
    if (!saved.ok())
        return m_notPrinted + QStringLiteral(" Der Ausdruck konnte nicht unter %1 gespeichert werden: %2.")
                                  .arg(path, QString::fromStdString(saved.reason));
    return m_notPrinted + QStringLiteral(" Der Ausdruck wurde gespeichert unter: ") + path;
}
