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

RecordingPrinter::RecordingPrinter(Log &log)
    : m_log(log)
{
}

void RecordingPrinter::setFontSize(qreal points)
{
    m_points = points;
    m_log.operations.append(QStringLiteral("font size %1").arg(points));
}

void RecordingPrinter::setDrawWidth(int pixels)
{
    m_log.operations.append(QStringLiteral("draw width %1").arg(pixels));
}

void RecordingPrinter::printLine(const QString &text)
{
    m_log.operations.append(QStringLiteral("text \"%1\" at %2").arg(text, point(m_position.x(), m_position.y())));
    m_position = QPointF(0, m_position.y() + 20 * m_points);
}

void RecordingPrinter::segment(float x1, float y1, float x2, float y2)
{
    m_log.operations.append(QStringLiteral("segment %1 %2").arg(point(x1, y1), point(x2, y2)));
    m_position = QPointF(x2, y2);
}

void RecordingPrinter::box(float x1, float y1, float x2, float y2, const QColor &outline)
{
    m_log.operations.append(QStringLiteral("box %1 %2 rgb(%3, %4, %5)")
                                .arg(point(x1, y1), point(x2, y2))
                                .arg(outline.red())
                                .arg(outline.green())
                                .arg(outline.blue()));
    m_position = QPointF(x2, y2);
}

Printer::Outcome RecordingPrinter::endDocument()
{
    // How many messages came before the end shows their order against it.
    m_log.operations.append(QStringLiteral("end after %1 message(s)").arg(MessageBox::history().size()));
    return m_log.outcome;
}
