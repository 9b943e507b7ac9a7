#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The window's own drawing area, addressed in twips (15 to a logical pixel;
// a point lands on the nearest pixel).
// It lies below every control and keeps what is drawn in a backing image, so
// a drawing that another window covered comes back when uncovered.
class DrawingSurface : public QWidget
{
    Q_OBJECT

public:
    enum class FillStyle { Transparent, Solid, CrossHatch };

    // sizeInPixels: the client area the window opens with.
    DrawingSurface(QSize sizeInPixels, QWidget *parent);

    void setDrawWidth(int pixels);
    void setFillStyle(FillStyle style);
    void setFillColor(const QColor &color);

    // Erases every drawing, leaving the back colour.
    void clear();
    // A line in the fore colour at the current draw width.
    void segment(float x1, float y1, float x2, float y2);
    // Outline in the given colour at the current draw width; inside filled by
    // the current fill style and colour.
    void box(float x1, float y1, float x2, float y2, const QColor &outline);

    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void preparePainter(QPainter &painter, const QColor &penColor) const;

    QImage m_image;
    int m_drawWidth = 1;
    FillStyle m_fillStyle = FillStyle::Transparent;
    QColor m_fillColor = Qt::black;
};
