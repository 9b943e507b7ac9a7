#include "platform/FrameLine.h"

#include <QPainter>

FrameLine::FrameLine(int x1, int y1, int x2, int y2, int widthPixels, QWidget *parent)
    : QWidget(parent)
    , m_width(widthPixels)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const QPointF a(x1 / 15.0, y1 / 15.0);
    const QPointF b(x2 / 15.0, y2 / 15.0);
    const QRect bounds = QRectF(a, b).normalized().toAlignedRect().adjusted(-m_width, -m_width, m_width, m_width);
    setGeometry(bounds);
    m_from = a - bounds.topLeft();
    m_to = b - bounds.topLeft();
}

void FrameLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QPen pen(palette().color(QPalette::WindowText));
    pen.setWidth(m_width);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.drawLine(m_from, m_to);
}
