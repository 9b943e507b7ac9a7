#pragma once

#include "platform/Printer.h"

#include <QList>
#include <QPointF>
#include <QStringList>

// Prints nothing; logs every operation as one line of text. A text line is
// logged with the print position it starts at, following the printer's rule
// with a line height of 20 twips per point.
class RecordingPrinter : public Printer
{
public:
    struct Log
    {
        QList<Job> jobs;        // one per printer handed out
        QStringList operations; // e.g. `text "" at (400, 1680)`
        Outcome outcome;        // what ending a document answers

        Factory factory();
    };

    explicit RecordingPrinter(Log &log) : m_log(log) {}

    void setFontSize(qreal points) override;
    void setDrawWidth(int pixels) override;
    void printLine(const QString &text) override;
    void segment(float x1, float y1, float x2, float y2) override;
    void box(float x1, float y1, float x2, float y2, const QColor &outline) override;
    Outcome endDocument() override;

private:
    void log(const QString &operation, QPointF moveTo);

    Log &m_log;
    qreal m_points = 10;
    QPointF m_position;
};
