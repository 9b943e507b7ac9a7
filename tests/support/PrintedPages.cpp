#include "support/PrintedPages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

PrintedPages::PrintedPages(const QString &pdfPath)
    : m_path(pdfPath)
    , m_text(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")}))
{
}

bool PrintedPages::showsInOrder(const QStringList &expected) const
{
    QStringList shown;
    for (const QString &line : m_text.split(QRegularExpression(QStringLiteral("[\n\f]"))))
        if (!line.simplified().isEmpty())
            shown.append(line.simplified());
    qsizetype at = 0;
    for (const QString &line : expected)
        if ((at = shown.indexOf(line.simplified(), at) + 1) == 0)
            return false;
    return true;
}

int PrintedPages::pageCount() const
{
    return int(m_text.count(QLatin1Char('\f')));
}

QList<PrintedPages::Word> PrintedPages::words() const
{
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> result;
    for (const auto &m : word.globalMatch(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), m_path, QStringLiteral("-")})))
        result.append({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                             QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    return result;
}

QImage PrintedPages::page(int number, int dotsPerInch) const
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), QStringList{"-png", "-r", QString::number(dotsPerInch), "-aa", "no", "-aaVector", "no",
                                                "-singlefile", "-f", QString::number(number), "-l",
                                                QString::number(number), m_path, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QRect PrintedPages::boundsOf(const QImage &image, QColor colour)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb())
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}
