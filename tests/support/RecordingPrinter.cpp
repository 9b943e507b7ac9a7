#include "support/RecordingPrinter.h"

#include "platform/MessageBox.h"

namespace {

QString point(qreal x, qreal y)
{
    return QStringLiteral("(%1, %2)").arg(x).arg(y);
}

} // namespace

Printer::Factory RecordingPrinter::Log::factory()
{
    return [this](const Job &job) {
        jobs.append(job);
        return std::make_unique<RecordingPrinter>(*this);
    };
}

void RecordingPrinter::log(const QString &operation, QPointF moveTo)
{
    m_log.operations.append(operation);
    m_position = moveTo;
}

void RecordingPrinter::setFontSize(qreal points)
{
    m_points = points;
    log(QStringLiteral("font size %1").arg(points), m_position);
}

void RecordingPrinter::setDrawWidth(int pixels)
{
    log(QStringLiteral("draw width %1").arg(pixels), m_position);
}

void RecordingPrinter::printLine(const QString &text)
{
    log(QStringLiteral("text \"%1\" at %2").arg(text, point(m_position.x(), m_position.y())),
        {0, m_position.y() + 20 * m_points});
}

void RecordingPrinter::segment(float x1, float y1, float x2, float y2)
{
    log(QStringLiteral("segment %1 %2").arg(point(x1, y1), point(x2, y2)), {x2, y2});
}

void RecordingPrinter::box(float x1, float y1, float x2, float y2, const QColor &outline)
{
    const QString rgb = QStringLiteral("rgb(%1, %2, %3)").arg(outline.red()).arg(outline.green()).arg(outline.blue());
    log(QStringLiteral("box %1 %2 %3").arg(point(x1, y1), point(x2, y2), rgb), {x2, y2});
}

Printer::Outcome RecordingPrinter::endDocument()
{
    // The messages counted before the end show their order against it.
    log(QStringLiteral("end after %1 message(s)").arg(MessageBox::history().size()), m_position);
    return m_log.outcome;
}
