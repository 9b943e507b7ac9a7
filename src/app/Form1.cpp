#include "app/Form1.h"

#include "app/StationShutdown.h"
#include "platform/DrawingSurface.h"
#include "platform/FrameLine.h"
#include "platform/ListBox.h"
#include "platform/MessageBox.h"
#include "platform/SystemPrinter.h"
#include "platform/TextFileReader.h"
#include "records/Assessment.h"
#include "records/PersonFile.h"
#include "records/StationLocale.h"
#include "records/TakeOver.h"
#include "views/HistoryChart.h"
#include "views/HistoryTable.h"
#include "views/PrintedReport.h"

#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Positions are given in twips; at 96 dpi 15 twips make one logical pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 11985;
constexpr int kClientHeight = 8595;

QRect twipRect(int left, int top, int width, int height)
{
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel);
}

// The layout was made for MS Sans Serif; where that is missing the nearest
// sans-serif face stands in at the same size and weight.
QFont stationFont(qreal points, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

Form1::Form1(const Services &services, QWidget *parent)
    : QWidget(parent)
    , services(services)
{
    if (!this->services.openPrinter)
        this->services.openPrinter = &SystemPrinter::open;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("BMI - Pondra"));
    setFont(stationFont(13.5, true));
    resize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);

    // First child, so every control lies above the drawing.
    surface = new DrawingSurface(size(), this);

    buildControls();
    setTabOrder();

    // Loading the window.
    Option1->setChecked(true);
    Text3->setText(StationLocale::shortDate(QDate::currentDate()));
    List1->setFocus();
}

QLabel *Form1::addLabel(const char *name, const QString &caption, int left, int top, int width, int height,
                        const QFont &font)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(font);
    // Opaque like the window, so a drawing never shows through a caption.
    label->setAutoFillBackground(true);
    label->setGeometry(twipRect(left, top, width, height));
    return label;
}

QLineEdit *Form1::addTextBox(const char *name, int left, int top, int width, int height, const QFont &font,
                             int maxLength)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    box->setFont(font);
    box->setGeometry(twipRect(left, top, width, height));
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    return box;
}

QPushButton *Form1::addButton(const char *name, const QString &caption, int left, int top, int width, int height)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setFont(stationFont(8.25));
    button->setGeometry(twipRect(left, top, width, height));
    // Enter presses the button that has the focus.
    button->setAutoDefault(true);
    return button;
}

void Form1::addLine(const char *name, int x1, int y1, int x2, int y2, int width)
{
    auto *line = new FrameLine(x1, y1, x2, y2, width, this);
    line->setObjectName(QLatin1String(name));
    m_lines.append(line);
}

void Form1::buildControls()
{
    const QFont regular = stationFont(8.25);
    const QFont bold = stationFont(8.25, true);
    const QFont larger = stationFont(9.75);

    // Input panel.
    addLabel("Label13", QStringLiteral("Vom Benutzer einzugebende Daten:"), 120, 120, 2295, 615, bold);
    QLabel *namen = addLabel("namen", QStringLiteral("&Vorname:"), 240, 720, 735, 255, regular);
    text = addTextBox("text", 1200, 720, 1215, 285, regular);
    QLabel *label14 = addLabel("Label14", QStringLiteral("&Nachname:"), 240, 1200, 1215, 255, regular);
    Text7 = addTextBox("Text7", 1200, 1200, 1215, 315, regular);
    QLabel *a = addLabel("A", QStringLiteral("&Alter:"), 240, 1680, 495, 255, regular);
    Text5 = addTextBox("Text5", 1200, 1680, 1215, 285, regular, 3);
    addLabel("m", QStringLiteral("männlich:"), 240, 2160, 1455, 375, regular);
    Option1 = new QRadioButton(QStringLiteral("Option1"), this);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->setFont(regular);
    Option1->setGeometry(twipRect(1680, 2160, 255, 195));
    addLabel("Label6", QStringLiteral("weiblich:"), 240, 2520, 1575, 255, regular);
    Option2 = new QRadioButton(QStringLiteral("Option2"), this);
    Option2->setObjectName(QStringLiteral("Option2"));
    Option2->setFont(regular);
    Option2->setGeometry(twipRect(1680, 2520, 255, 195));
    addLabel("Label2", QStringLiteral("Größe:"), 240, 2880, 735, 255, regular);
    Text2 = addTextBox("Text2", 1200, 2880, 1215, 285, regular, 4);
    addLabel("Label9", QStringLiteral(" mm"), 2400, 3000, 375, 255, regular);
    addLabel("Label1", QStringLiteral("Gewicht:"), 240, 3360, 735, 255, regular);
    Text1 = addTextBox("Text1", 1200, 3360, 1215, 285, regular, 5);
    addLabel("Label8", QStringLiteral(" kg"), 2400, 3480, 375, 255, regular);
    addLine("Line3", 120, 600, 120, 3840);
    addLine("Line4", 3000, 3840, 120, 3840);
    addLine("Line5", 3000, 3840, 3000, 240);
    addLine("Line6", 3000, 240, 1440, 240);

    namen->setBuddy(text);
    label14->setBuddy(Text7);
    a->setBuddy(Text5);

    // Computed-values panel.
    addLabel("Label15", QStringLiteral("Vom Rechner ünernommene und errechnete Werte"), 120, 4080, 2655, 495, bold);
    addLabel("Label5", QStringLiteral("Datum:"), 240, 4920, 855, 255, regular);
    Text3 = addTextBox("Text3", 1200, 4920, 1215, 285, regular);
    addLabel("BM", QStringLiteral("BMI:"), 240, 5280, 1095, 255, regular);
    bmi = addTextBox("bmi", 1200, 5400, 1215, 285, regular);
    addLine("Line7", 120, 4560, 120, 5760);
    addLine("Line8", 3000, 5760, 120, 5760);
    addLine("Line9", 3000, 4200, 3000, 5760);
    addLine("Line10", 3000, 4200, 2640, 4200);

    // Chart frame.
    addLine("Line1", 3840, 120, 3840, 4920, 3);
    addLine("Line2", 3840, 4920, 11880, 4920, 3);
    addLine("Line12", 3840, 120, 11880, 120, 3);
    addLine("Line11", 11880, 4920, 11880, 120, 3);
    addLabel("Label3", QStringLiteral("BMI"), 3360, 0, 495, 255, regular);
    addLabel("Label12", QStringLiteral("40"), 3480, 240, 255, 255, regular);
    addLabel("Label19", QStringLiteral("35"), 3480, 1080, 255, 255, larger);
    addLabel("Label18", QStringLiteral("30"), 3480, 2040, 255, 375, larger);
    addLabel("Label10", QStringLiteral("25"), 3480, 2880, 375, 255, regular);
    addLabel("Label17", QStringLiteral("20"), 3480, 3840, 375, 255, larger);
    addLabel("Label11", QStringLiteral("15"), 3480, 4800, 375, 255, regular);
    addLabel("Label4", QStringLiteral("Tag"), 11280, 4920, 615, 255, regular);
    QLabel *label7 = addLabel("Label7", QStringLiteral("Normalwerte"), 10680, 2400, 1095, 255, regular);
    QPalette highlighted = label7->palette();
    highlighted.setColor(QPalette::WindowText, highlighted.color(QPalette::Highlight));
    label7->setPalette(highlighted);

    // Output panel.
    addLabel("Label16", QStringLiteral("Ausgabefeld für Daten und Bewertungen:"), 3840, 5280, 2415, 735, bold);
    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(regular);
    List1->setGeometry(twipRect(4080, 5760, 6375, 2205));
    addLine("Line13", 3840, 5760, 3840, 8280);
    addLine("Line14", 3840, 8280, 10680, 8280);
    addLine("Line15", 10680, 5400, 10680, 8280);
    addLine("Line16", 10680, 5400, 6240, 5400);

    // Command buttons.
    Command2 = addButton("Command2", QStringLiteral("&Daten übernehmen"), 120, 6120, 2895, 375);
    Command5 = addButton("Command5", QStringLiteral("&Tabelle  auslesen"), 120, 6720, 2895, 375);
    Command1 = addButton("Command1", QStringLiteral("&Grafik erstellen"), 120, 7320, 2895, 375);
    Command3 = addButton("Command3", QStringLiteral("D&rucken"), 120, 7920, 2895, 375);
    Command4 = addButton("Command4", QStringLiteral("&EXIT"), 10920, 5400, 975, 2895);
    Command4->setFont(font()); // the window font: the only control without one of its own

    // Belongs to no panel; nothing reads or writes it.
    Text10 = addTextBox("Text10", 9240, 5040, 255, 195, bold);
    Text10->setFocusPolicy(Qt::NoFocus);
    QPalette scrollBar = Text10->palette();
    const QColor scrollBarColor = palette().color(QPalette::Button).darker(115);
    scrollBar.setColor(QPalette::Base, scrollBarColor);
    scrollBar.setColor(QPalette::Text, scrollBarColor);
    Text10->setPalette(scrollBar);

    // Axis numbers and "Tag" overlap the frame; the lines stay whole.
    for (QWidget *line : std::as_const(m_lines))
        line->raise();

    // Screen readers name each field by the caption on its row.
    const std::pair<QWidget *, const char *> accessibleNames[] = {
        {text, "Vorname"}, {Text7, "Nachname"}, {Text5, "Alter"}, {Option1, "männlich"},
        {Option2, "weiblich"}, {Text2, "Größe"}, {Text1, "Gewicht"}, {Text3, "Datum"}, {bmi, "BMI"},
    };
    for (const auto &[widget, name] : accessibleNames)
        widget->setAccessibleName(QString::fromUtf8(name));

    connect(Command2, &QPushButton::clicked, this, &Form1::takeOver);
    connect(Command5, &QPushButton::clicked, this, &Form1::showHistoryTable);
    connect(Command1, &QPushButton::clicked, this, &Form1::drawHistoryChart);
    connect(Command3, &QPushButton::clicked, this, &Form1::printReport);
    connect(Command4, &QPushButton::clicked, this, &Form1::exitStation);
}

void Form1::setTabOrder()
{
    QWidget *const order[] = {List1, text, Text7, Text5, Option1, Option2, Command2, Command5,
                              Command1, Command3, Command4, Text1, Text2, Text3, bmi};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

bool Form1::focusNextPrevChild(bool next)
{
    const bool moved = QWidget::focusNextPrevChild(next);
    // The option group is one stop, on the selected button. Qt already passes
    // over the group's other button when leaving it, but enters it on
    // whichever button comes first.
    QRadioButton *selected = Option1->isChecked() ? Option1 : Option2->isChecked() ? Option2 : nullptr;
    if (moved && selected && (focusWidget() == Option1 || focusWidget() == Option2))
        selected->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return moved;
}

void Form1::takeOver()
{
    TakeOverInput input;
    input.firstName = text->text();
    input.lastName = Text7->text();
    input.ageText = Text5->text();
    input.male = Option1->isChecked();
    input.female = Option2->isChecked();
    input.heightText = Text2->text();
    input.weightText = Text1->text();
    input.dateText = Text3->text();

    const auto plan = TakeOver::plan(input);
    if (!plan) {
        MessageBox::information(this, TakeOver::refusalMessage());
        return;
    }
    bmi->setText(plan->bmiText);

    const auto stored = PersonFile::store(plan->filePath, plan->headerLine, plan->recordLine);
    if (!stored.ok) {
        MessageBox::information(this, stored.message);
        return;
    }
    showAssessment();
}

void Form1::showAssessment()
{
    const QStringList files = Assessment::files(bmi->text(), Text5->text(), Option2->isChecked());
    for (const QString &file : files) {
        const auto lines = TextFileReader::readLines(file);
        if (!lines) {
            // The list keeps the text of the files read so far: none for bmi0.
            if (file == files.first())
                List1->clear();
            MessageBox::information(this, QStringLiteral("Bewertungsdatei fehlt: %1").arg(QDir::toNativeSeparators(file)));
            return;
        }
        // Each file clears away what the one before it gave.
        List1->setItems(*lines);
    }
}

void Form1::showHistoryTable()
{
    if (text->text().isEmpty() || Text7->text().isEmpty()) {
        MessageBox::information(this, PersonFile::noRecordMessage());
        return;
    }
    HistoryTable::Result table = HistoryTable::read(PersonFile::path(PersonFile::fullName(text->text(), Text7->text())));
    // Something at the path that cannot be read changes nothing but the message.
    if (table.outcome == HistoryTable::Outcome::Unreadable) {
        MessageBox::information(this, table.message);
        return;
    }

    Text1->setText(QString());
    Text2->setText(QString());
    bmi->setText(QString());
    List1->clear();
    if (table.outcome == HistoryTable::Outcome::NoFile) {
        MessageBox::information(this, table.message);
        return;
    }
    // One model reset for the whole file, however many lines it has.
    List1->setLines(std::move(table.lines));
}

void Form1::drawHistoryChart()
{
    const HistoryChart chart = HistoryChart::read(PersonFile::path(PersonFile::fullName(text->text(), Text7->text())));
    if (chart.status() != HistoryChart::Status::Read) {
        MessageBox::information(this, chart.message());
        return;
    }

    Text5->setText(chart.storedAge());
    Text1->setText(QString());
    Text2->setText(QString());
    bmi->setText(QString());
    // Any other letter (a one- or three-digit age shifts it) leaves the options alone.
    const QString sex = chart.sexLetter();
    if (sex == QLatin1String("m"))
        Option1->setChecked(true);
    else if (sex == QLatin1String("w"))
        Option2->setChecked(true);

    chart.draw(*surface);
}

void Form1::printReport()
{
    PrintedReport({this, text, Text7, Text5, Text1, Text2, bmi, surface}, services.openPrinter).print();
}

void Form1::exitStation()
{
    StationShutdown(*services.commandStarter).run(this);
}
