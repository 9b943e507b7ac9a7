#pragma once

#include "toolkit/Printer.h"

#include <QFont>
#include <QPainter>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class QSaveFile;

// Prints on the system's default printer without a dialog, at 600 dpi; when
// the system offers none, the same pages go into a PDF at the job's path.
// Text is set in the default sans-serif face, one line as high as the font's
// line spacing; a line wider than the page goes on in the next, and one that
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
    QString m_notPrinted; // why the pages go into a PDF instead
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPagedPaintDevice *m_device = nullptr;
    QPainter m_painter;
    QString m_failure;

    QFont m_font;
    qreal m_lineHeight = 0; // twips
    int m_drawWidth = 1;
    QPointF m_position;     // twips
};
