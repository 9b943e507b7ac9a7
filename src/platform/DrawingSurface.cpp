#include "platform/DrawingSurface.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kTwipsPerPixel = 15.0;

// Every point lands on the nearest pixel, so a 1-pixel line at y always sits
// on row round(y / 15) instead of wherever the rasterizer puts a fraction.
int toPixel(float twips)
{
    return int(std::floor(double(twips) / kTwipsPerPixel + 0.5));
}

QPoint toPixels(float x, float y)
{
    return {toPixel(x), toPixel(y)};
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
    const QPoint a = toPixels(x1, y1);
    const QPoint b = toPixels(x2, y2);
    const int left = std::min(a.x(), b.x());
    const int top = std::min(a.y(), b.y());
    const int right = std::max(a.x(), b.x());
    const int bottom = std::max(a.y(), b.y());
    // The filling covers the corner pixels inclusive; the outline goes on top.
    const QRect inside(left, top, right - left + 1, bottom - top + 1);
    switch (m_fillStyle) {
    case FillStyle::Transparent:
        break;
    case FillStyle::Solid:
        painter.fillRect(inside, m_fillColor);
        break;
    case FillStyle::CrossHatch:
        // Only the hatch lines are painted: the back colour shows between them.
        painter.fillRect(inside, QBrush(m_fillColor, Qt::CrossPattern));
        break;
    }
    preparePainter(painter, outline);
    painter.setBrush(Qt::NoBrush);
    // A stroked QRect covers one pixel more than its size: left..right, top..bottom.
    painter.drawRect(QRect(left, top, right - left, bottom - top));
    update();
}

void DrawingSurface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.drawImage(event->rect(), m_image, QRectF(event->rect().topLeft() * m_image.devicePixelRatio(),
                                                     event->rect().size() * m_image.devicePixelRatio()));
}
