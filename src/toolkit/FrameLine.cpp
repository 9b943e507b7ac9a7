#include "toolkit/FrameLine.h"

#include "toolkit/Twips.h"

#include <QPainter>

FrameLine::FrameLine(int x1, int y1, int x2, int y2, int widthPixels, QWidget *parent)
    : QWidget(parent)
    , m_width(widthPixels)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPointF a(double(x1) / Twips::kPerPixel, double(y1) / Twips::kPerPixel);
    const QPointF b(double(x2) / Twips::kPerPixel, double(y2) / Twips::kPerPixel);
    const QRect bounds = QRectF(a, b).normalized().toAlignedRect().adjusted(-m_width, -m_width, m_width, m_width);
    setGeometry(bounds);
    m_from = a - bounds.topLeft();
    m_to = b - bounds.topLeft();
}

void FrameLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), m_width));
    painter.drawLine(m_from, m_to);
}
