#pragma once

#include <QWidget>

// A fixed decorative straight line between two points given in twips, in the
// window-text colour. It takes no input and stays above the drawing surface.
class FrameLine : public QWidget
{
    Q_OBJECT

public:
    FrameLine(int x1, int y1, int x2, int y2, int widthPixels, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointF m_from;
    QPointF m_to;
    int m_width;
};
