#pragma once

#include "platform/Printer.h"

#include <QFont>
#include <QPainter>
#include <QPointF>

class QPrinter;
class QPrinterInfo;

// Prints through Qt's print support (CUPS on Linux) at 600 dpi, or writes the
// same pages into a PDF file. Text is set in the default sans-serif face; one
// line is as high as the font's line spacing, and a line that would not fit
// above the bottom of the printable area starts a new page.
class SystemPrinter : public Printer
{
public:
    static constexpr int kDotsPerInch = 600;

    // The system's default printer without a dialog; when there is none, a
    // PDF at the job's fallback path.
    static std::unique_ptr<Printer> open(const Job &job);

    static std::unique_ptr<SystemPrinter> toPrinter(const QPrinterInfo &printer, const QString &documentName);
    // The pages go into a new file beside the path first and replace the
    // path only when complete; a symlink or anything but a regular file at the
    // path makes the document fail instead of being followed or overwritten.
    static std::unique_ptr<SystemPrinter> toPdfFile(const QString &path, const QString &documentName);

    ~SystemPrinter() override;

    void setFontSize(qreal points) override;
    void setDrawWidth(int pixels) override;
    void printLine(const QString &text) override;
    void segment(float x1, float y1, float x2, float y2) override;
    void box(float x1, float y1, float x2, float y2, const QColor &outline) override;
    Outcome endDocument() override;

private:
    SystemPrinter(std::unique_ptr<QPrinter> printer, const QString &pdfPath);

    bool begin();
    bool openPdfPart();
    void fail(const QString &reason);
    void discardPdfPart();
    Outcome finishPdf();
    void preparePen(const QColor &color);

    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    enum class State { NotBegun, Printing, Failed, Ended } m_state = State::NotBegun;
    QString m_failure;

    QString m_pdfPath;  // empty when printing on paper
    QString m_partPath; // the PDF while it is being written

    QFont m_font;
    qreal m_lineHeight = 0; // twips
    qreal m_ascent = 0;     // twips
    int m_drawWidth = 1;
    QPointF m_position;     // twips
};
