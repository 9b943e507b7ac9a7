#pragma once

#include <QColor>
#include <QString>

#include <functional>
#include <memory>

// What the printed report asks of a printer. The document begins with its
// first output. Coordinates are twips from the top-left corner of the
// printable area, x to the right, y downward.
//
// The printer keeps one print position, (0, 0) when the document begins:
// a text line is printed with its top-left corner there and moves it to x 0
// one line lower; a segment moves it to its second point, a box to corner 2.
class Printer
{
public:
    struct Job
    {
        QString documentName;
        // Where the document is saved as a PDF when no printer takes it;
        // empty when the name makes no file name.
        QString pdfPath;
    };

    using Factory = std::function<std::unique_ptr<Printer>(const Job &job)>;

    virtual ~Printer() = default;

    virtual void setFontSize(qreal points) = 0;
    // Width in printer pixels of boxes and segments drawn from now on.
    virtual void setDrawWidth(int pixels) = 0;
    // In the fore colour, black.
    virtual void printLine(const QString &text) = 0;
    virtual void segment(float x1, float y1, float x2, float y2) = 0;
    // An outline only, from corner 1 to corner 2.
    virtual void box(float x1, float y1, float x2, float y2, const QColor &outline) = 0;
    // Hands the document over; what the user must be told, empty when it printed.
    virtual QString endDocument() = 0;
};
