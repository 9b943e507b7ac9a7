#include "support/PrintedPages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

} // namespace

PrintedPages::PrintedPages(const QString &pdfPath)
    : m_path(pdfPath)
{
}

QStringList PrintedPages::lines() const
{
    QStringList result;
    const QString text = QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), m_path, QStringLiteral("-")}));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            result.append(simple);
    }
    return result;
}

bool PrintedPages::showsInOrder(const QStringList &expected) const
{
    const QStringList shown = lines();
    qsizetype at = 0;
    for (const QString &line : expected) {
        at = shown.indexOf(line.simplified(), at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

int PrintedPages::pageCount() const
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {m_path}));
    const auto match = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QList<PrintedPages::Word> PrintedPages::words() const
{
    QList<Word> result;
    const QString html = QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), m_path, QStringLiteral("-")}));
    static const QRegularExpression tag(QStringLiteral(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    int page = 0;
    for (const auto &m : tag.globalMatch(html)) {
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        result.append({page, m.captured(5), QRectF(topLeft, bottomRight)});
    }
    return result;
}

QImage PrintedPages::page(int number, int dotsPerInch) const
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dotsPerInch),
                                     QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
                                     QStringLiteral("no"), QStringLiteral("-singlefile"), QStringLiteral("-f"),
                                     QString::number(number), QStringLiteral("-l"), QString::number(number), m_path,
                                     prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QRect PrintedPages::boundsOf(const QImage &image, QColor colour)
{
    const QRgb wanted = colour.rgb();
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] == wanted)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}
