#include "toolkit/DrawingSurface.h"

#include "toolkit/Twips.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
QPoint toPixels(float x, float y)
{
    return {Twips::toPixel(x), Twips::toPixel(y)};
}
} // namespace

DrawingSurface::DrawingSurface(QWidget *window)
    : QWidget(window)
    , m_image(window->size() * window->devicePixelRatio(), QImage::Format_RGB32)
{
    // As many image pixels as the screen has, so the chart stays sharp when scaled.
    m_image.setDevicePixelRatio(window->devicePixelRatio());
    setObjectName(QStringLiteral("DrawingSurface"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(QRect(QPoint(0, 0), window->size()));
    clear();
}

void DrawingSurface::clear()
{
    m_image.fill(palette().color(QPalette::Window));
    update();
}

void DrawingSurface::segment(float x1, float y1, float x2, float y2)
{
    QPainter painter(&m_image);
    painter.setPen(QPen(palette().color(QPalette::WindowText), m_drawWidth));
    painter.drawLine(toPixels(x1, y1), toPixels(x2, y2));
    update();
}

void DrawingSurface::box(float x1, float y1, float x2, float y2, const QColor &outline)
{
    QPainter painter(&m_image);
    const QRect corners = QRect(toPixels(x1, y1), toPixels(x2, y2)).normalized();
    // Only the hatch lines are painted: the back colour shows between them.
    if (m_fillStyle == FillStyle::CrossHatch)
        painter.fillRect(corners, QBrush(m_fillColor, Qt::CrossPattern));
    painter.setPen(QPen(outline, m_drawWidth));
    // A stroked rectangle covers one pixel more than its size, corner to corner.
    painter.drawRect(corners.adjusted(0, 0, -1, -1));
    update();
}

void DrawingSurface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.drawImage(0, 0, m_image);
}
