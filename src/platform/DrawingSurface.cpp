#include "platform/DrawingSurface.h"

#include <QPainter>
#include <QPaintEvent>

namespace {
constexpr qreal kTwipsPerPixel = 15.0;

QPointF toPixels(float x, float y)
{
    return {x / kTwipsPerPixel, y / kTwipsPerPixel};
}
} // namespace

DrawingSurface::DrawingSurface(QSize sizeInPixels, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DrawingSurface"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(QRect(QPoint(0, 0), sizeInPixels));
    const qreal ratio = devicePixelRatioF();
    m_image = QImage(sizeInPixels * ratio, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    clear();
}

void DrawingSurface::setDrawWidth(int pixels)
{
    m_drawWidth = qMax(1, pixels);
}

void DrawingSurface::setFillStyle(FillStyle style)
{
    m_fillStyle = style;
}

void DrawingSurface::setFillColor(const QColor &color)
{
    m_fillColor = color;
}

void DrawingSurface::clear()
{
    m_image.fill(palette().color(QPalette::Window));
    update();
}

void DrawingSurface::preparePainter(QPainter &painter, const QColor &penColor) const
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(penColor);
    pen.setWidthF(m_drawWidth);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
}

void DrawingSurface::segment(float x1, float y1, float x2, float y2)
{
    QPainter painter(&m_image);
    preparePainter(painter, palette().color(QPalette::WindowText));
    painter.drawLine(toPixels(x1, y1), toPixels(x2, y2));
    update();
}

void DrawingSurface::box(float x1, float y1, float x2, float y2, const QColor &outline)
{
    QPainter painter(&m_image);
    const QRectF rect = QRectF(toPixels(x1, y1), toPixels(x2, y2)).normalized();
    switch (m_fillStyle) {
    case FillStyle::Transparent:
        break;
    case FillStyle::Solid:
        painter.fillRect(rect, m_fillColor);
        break;
    case FillStyle::CrossHatch:
        // Transparent background mode: the back colour shows between the lines.
        painter.fillRect(rect, QBrush(m_fillColor, Qt::CrossPattern));
        break;
    }
    preparePainter(painter, outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    update();
}

void DrawingSurface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.drawImage(event->rect(), m_image, QRectF(event->rect().topLeft() * m_image.devicePixelRatio(),
                                                     event->rect().size() * m_image.devicePixelRatio()));
}
