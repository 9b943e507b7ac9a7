#include "platform/SystemPrinter.h"
#include "support/PrintedPages.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// 20 twips make one point, the unit pdftotext measures in.
constexpr qreal kTwipsPerPoint = 20;

QMap<QString, PrintedPages::Word> wordsByText(const QString &pdf)
{
    QMap<QString, PrintedPages::Word> result;
    for (const auto &word : PrintedPages(pdf).words())
        result.insert(word.text, word);
    return result;
}

} // namespace

class TestSystemPrinter : public QObject
{
    Q_OBJECT

private slots:
    void printPositionFollowsTheLastOutput();
    void longTextGoesOnAtTheTopOfTheNextPage();
    void unwritablePdfIsReported_data();
    void unwritablePdfIsReported();
};

void TestSystemPrinter::printPositionFollowsTheLastOutput()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("position.pdf");
    auto printer = SystemPrinter::toPdfFile(pdf, "Position");
    printer->setFontSize(14);
    printer->printLine("Eins");                  // at (0, 0)
    printer->segment(0, 0, 1440, 2880);          // ends at (1440, 2880)
    printer->printLine("Zwei");                  // there
    printer->printLine("Drei");                  // x 0, one line lower
    printer->box(0, 0, 2880, 5760, Qt::red);     // corner 2 at (2880, 5760)
    printer->printLine("Vier");
    const auto outcome = printer->endDocument();
    QVERIFY2(outcome.ok, qPrintable(outcome.reason));
    QCOMPARE(outcome.savedTo, pdf);

    const auto words = wordsByText(pdf);
    const QPointF origin = words["Eins"].box.topLeft();
    auto offset = [&](const char *word) { return (words[word].box.topLeft() - origin) * kTwipsPerPoint; };
    auto near = [](QPointF actual, QPointF expected) {
        return qAbs(actual.x() - expected.x()) <= 30 && qAbs(actual.y() - expected.y()) <= 10;
    };
    QVERIFY2(near(offset("Zwei"), {1440, 2880}), qPrintable(QDebug::toString(offset("Zwei"))));
    const qreal line = offset("Drei").y() - offset("Zwei").y();
    QVERIFY2(line >= 14 * kTwipsPerPoint && line <= 20 * kTwipsPerPoint, qPrintable(QString::number(line)));
    QVERIFY2(near(offset("Drei"), {0, 2880 + line}), qPrintable(QDebug::toString(offset("Drei"))));
    QVERIFY2(near(offset("Vier"), {2880, 5760}), qPrintable(QDebug::toString(offset("Vier"))));
}

void TestSystemPrinter::longTextGoesOnAtTheTopOfTheNextPage()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("long.pdf");
    auto printer = SystemPrinter::toPdfFile(pdf, "Lang");
    printer->setFontSize(14);
    for (int i = 1; i <= 120; ++i)
        printer->printLine(QStringLiteral("Zeile%1").arg(i));
    QVERIFY(printer->endDocument().ok);

    QList<PrintedPages::Word> lines;
    for (const auto &word : PrintedPages(pdf).words())
        lines.append(word);
    QCOMPARE(lines.size(), 120);
    int pageBreaks = 0;
    for (int i = 1; i < lines.size(); ++i) {
        QCOMPARE(lines[i].text, QStringLiteral("Zeile%1").arg(i + 1));
        if (lines[i].page == lines[i - 1].page)
            continue;
        ++pageBreaks;
        QCOMPARE(lines[i].page, lines[i - 1].page + 1);
        // The new page starts where the first one did, and the line before
        // the break still ended inside the page (A4: 842 points high).
        QVERIFY(qAbs(lines[i].box.top() - lines[0].box.top()) < 0.5);
        QVERIFY(lines[i - 1].box.bottom() <= 842 - lines[0].box.top());
    }
    QVERIFY(pageBreaks >= 2);
}

void TestSystemPrinter::unwritablePdfIsReported_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << "/nonexistent-bmi-pondra/report.pdf"
                                    << "die Datei /nonexistent-bmi-pondra/report.pdf kann nicht geschrieben werden "
                                       "(Ordner oder Datei nicht vorhanden)";
    QTest::newRow("no usable file name") << "" << "der Name ergibt keinen zulässigen Dateinamen";
}

void TestSystemPrinter::unwritablePdfIsReported()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    auto printer = SystemPrinter::toPdfFile(path, "Fehler");
    printer->setFontSize(14);
    printer->printLine("Eins");
    printer->segment(0, 0, 100, 100);
    const auto outcome = printer->endDocument();
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.reason, reason);
    QVERIFY(outcome.savedTo.isEmpty());
}

QTEST_MAIN(TestSystemPrinter)
#include "tst_systemprinter.moc"
