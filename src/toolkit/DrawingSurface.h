#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The window's own drawing area, addressed in twips. It lies below every
// control and keeps what is drawn in a backing image, so a drawing that
// another window covered comes back when uncovered.
class DrawingSurface : public QWidget
{
    Q_OBJECT

public:
    enum class FillStyle { Transparent, CrossHatch };

    explicit DrawingSurface(QWidget *window);

    void setDrawWidth(int pixels) { m_drawWidth = pixels; }
    void setFillStyle(FillStyle style) { m_fillStyle = style; }
    void setFillColor(const QColor &color) { m_fillColor = color; }

    // Erases every drawing, leaving the back colour.
    void clear();
    // A line in the fore colour at the current draw width.
    void segment(float x1, float y1, float x2, float y2);
    // Outline in the given colour at the current draw width; inside filled by
    // the current fill style and colour.
    void box(float x1, float y1, float x2, float y2, const QColor &outline);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    int m_drawWidth = 1;
    FillStyle m_fillStyle = FillStyle::Transparent;
    QColor m_fillColor = Qt::black;
};
