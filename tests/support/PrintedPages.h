#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QStringList>

// A printed PDF read back with poppler's tools, as a person would see it.
class PrintedPages
{
public:
    struct Word
    {
        QString text;
        QRectF box; // in points from the page's top-left corner
    };

    explicit PrintedPages(const QString &pdfPath);

    // True when these lines (blanks collapsed) appear in this order, other
    // lines allowed in between.
    bool showsInOrder(const QStringList &expected) const;
    int pageCount() const;
    QList<Word> words() const;
    // Rendered without smoothing, so colours come out exactly as drawn.
    QImage page(int number, int dotsPerInch) const;

    // The smallest rectangle holding every pixel of that colour.
    static QRect boundsOf(const QImage &image, QColor colour);

private:
    QString m_path;
    QString m_text; // pdftotext's layout, a form feed after each page
};
