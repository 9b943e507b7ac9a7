#pragma once

#include "toolkit/Printer.h"

#include <QBuffer>
#include <QFont>
#include <QPainter>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

// Prints on the system's default printer without a dialog, at 600 dpi: the
// pages go as a PDF to CUPS, on Windows through Qt's print engine. When the
// system offers no printer that prints without asking, the same PDF is saved
// at the job's path.
// Text is set in Arial (Liberation Sans where it is missing), one line as
// high as the font's line spacing; a line wider than the page goes on in the next, and one that
// would not fit above the bottom of the page starts a new page.
class SystemPrinter : public Printer
{
public:
    static std::unique_ptr<Printer> open(const Job &job);

    void setFontSize(qreal points) override;
    void setDrawWidth(int pixels) override { m_drawWidth = pixels; }
    void printLine(const QString &text) override;
    void segment(float x1, float y1, float x2, float y2) override;
    void box(float x1, float y1, float x2, float y2, const QColor &outline) override;
    QString endDocument() override;

private:
    explicit SystemPrinter(const Job &job);

    bool begin();
    void fail(const QString &reason);
    QPointF toDots(qreal x, qreal y) const;

    Job m_job;
    QString m_printerName; // empty when the PDF is saved instead
    QString m_notPrinted;  // why the PDF is saved instead
    std::unique_ptr<QPrinter> m_printer; // Windows only
    QBuffer m_pdfBytes;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPagedPaintDevice *m_device = nullptr;
    QPainter m_painter;
    QString m_failure;

    QFont m_font;
    qreal m_lineHeight = 0; // twips
    int m_drawWidth = 1;
    QPointF m_position;     // twips
};
