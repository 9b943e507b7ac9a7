#include "app/Form1.h"

#include "toolkit/DrawingSurface.h"
#include "toolkit/FrameLine.h"
#include "toolkit/ListBox.h"
#include "toolkit/MessageBox.h"
#include "system/Native.h"
#include "toolkit/Twips.h"
#include "records/Assessment.h"
#include "records/PersonFile.h"
#include "records/PersonHistory.h"
#include "records/StationLocale.h"
#include "records/TakeOver.h"
#include "views/HistoryChart.h"
#include "views/PrintedReport.h"

#include <QApplication>
#include <QDate>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>

namespace {

// The layout was made for MS Sans Serif. Its scalable successor comes first:
// the bitmap face has no 8.25 or 13.5 points. Elsewhere the nearest
// sans-serif face stands in at the same size and weight.
QFont stationFont(qreal points, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("MS Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template <typename Control>
Control *place(Control *control, const char *name, int left, int top, int width, int height, const QFont &font)
{
    control->setObjectName(QLatin1String(name));
    control->setFont(font);
    control->setGeometry(Twips::toPixels(left, top, width, height));
    return control;
}

} // namespace

Form1::Form1(Printer::Factory openPrinter)
    : m_openPrinter(std::move(openPrinter))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("BMI - Pondra"));
    setFont(stationFont(13.5, true));
    resize(Twips::toPixels(0, 0, 11985, 8595).size());
    // First child, so every control lies above the drawing.
    surface = new DrawingSurface(this);

    const QFont regular = stationFont(8.25);
    // Qt's own dialogs, the message box among them, in the station's face too.
    QApplication::setFont(regular);
    const QFont bold = stationFont(8.25, true);
    const QFont larger = stationFont(9.75);

    // Input panel.
    QLabel *const headings[] = {
        addLabel("Label13", QStringLiteral("Vom Benutzer einzugebende Daten:"), 120, 120, 2295, 615, bold),
        addLabel("Label15", QStringLiteral("Vom Rechner ünernommene und errechnete Werte"), 120, 4080, 2655, 495, bold),
        addLabel("Label16", QStringLiteral("Ausgabefeld für Daten und Bewertungen:"), 3840, 5280, 2415, 735, bold),
    };
    text = addTextBox("text", 1200, 720, 1215, 285, regular);
    addLabel("namen", QStringLiteral("&Vorname:"), 240, 720, 735, 255, regular)->setBuddy(text);
    Text7 = addTextBox("Text7", 1200, 1200, 1215, 315, regular);
    addLabel("Label14", QStringLiteral("&Nachname:"), 240, 1200, 1215, 255, regular)->setBuddy(Text7);
    Text5 = addTextBox("Text5", 1200, 1680, 1215, 285, regular, 3);
    addLabel("A", QStringLiteral("&Alter:"), 240, 1680, 495, 255, regular)->setBuddy(Text5);
    // Only as wide as their marks: the captions lie outside and do not show.
    Option1 = place(new QRadioButton(QStringLiteral("Option1"), this), "Option1", 1680, 2160, 255, 195, regular);
    addLabel("m", QStringLiteral("männlich:"), 240, 2160, 1455, 375, regular)->setBuddy(Option1);
    Option2 = place(new QRadioButton(QStringLiteral("Option2"), this), "Option2", 1680, 2520, 255, 195, regular);
    addLabel("Label6", QStringLiteral("weiblich:"), 240, 2520, 1575, 255, regular)->setBuddy(Option2);
    Text2 = addTextBox("Text2", 1200, 2880, 1215, 285, regular, 4);
    addLabel("Label2", QStringLiteral("Größe:"), 240, 2880, 735, 255, regular)->setBuddy(Text2);
    addLabel("Label9", QStringLiteral(" mm"), 2400, 3000, 375, 255, regular);
    Text1 = addTextBox("Text1", 1200, 3360, 1215, 285, regular, 5);
    addLabel("Label1", QStringLiteral("Gewicht:"), 240, 3360, 735, 255, regular)->setBuddy(Text1);
    addLabel("Label8", QStringLiteral(" kg"), 2400, 3480, 375, 255, regular);
    addLine("Line3", 120, 600, 120, 3840);
    addLine("Line4", 3000, 3840, 120, 3840);
    addLine("Line5", 3000, 3840, 3000, 240);
    addLine("Line6", 3000, 240, 1440, 240);

    // Computed-values panel.
    // A label names its field for screen readers; only "&" captions move the focus.
    Text3 = addTextBox("Text3", 1200, 4920, 1215, 285, regular);
    addLabel("Label5", QStringLiteral("Datum:"), 240, 4920, 855, 255, regular)->setBuddy(Text3);
    bmi = addTextBox("bmi", 1200, 5400, 1215, 285, regular);
    addLabel("BM", QStringLiteral("BMI:"), 240, 5280, 1095, 255, regular)->setBuddy(bmi);
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
    QLabel *normal = addLabel("Label7", QStringLiteral("Normalwerte"), 10680, 2400, 1095, 255, regular);
    QPalette highlighted = normal->palette();
    highlighted.setColor(QPalette::WindowText, highlighted.color(QPalette::Highlight));
    normal->setPalette(highlighted);

    // Output panel.
    List1 = place(new ListBox(this), "List1", 4080, 5760, 6375, 2205, regular);
    addLine("Line13", 3840, 5760, 3840, 8280);
    addLine("Line14", 3840, 8280, 10680, 8280);
    addLine("Line15", 10680, 5400, 10680, 8280);
    addLine("Line16", 10680, 5400, 6240, 5400);

    QPushButton *Command2 = addButton("Command2", QStringLiteral("&Daten übernehmen"), 120, 6120, 2895, 375);
    QPushButton *Command5 = addButton("Command5", QStringLiteral("&Tabelle  auslesen"), 120, 6720, 2895, 375);
    QPushButton *Command1 = addButton("Command1", QStringLiteral("&Grafik erstellen"), 120, 7320, 2895, 375);
    QPushButton *Command3 = addButton("Command3", QStringLiteral("D&rucken"), 120, 7920, 2895, 375);
    QPushButton *Command4 = addButton("Command4", QStringLiteral("&EXIT"), 10920, 5400, 975, 2895);
    Command4->setFont(font()); // the window font: the only control without one of its own

    // Belongs to no panel; nothing reads or writes it.
    QLineEdit *Text10 = addTextBox("Text10", 9240, 5040, 255, 195, bold);
    Text10->setFocusPolicy(Qt::NoFocus);
    QPalette scrollBar = Text10->palette();
    const QColor scrollBarColor = palette().color(QPalette::Button).darker(115);
    scrollBar.setColor(QPalette::Base, scrollBarColor);
    scrollBar.setColor(QPalette::Text, scrollBarColor);
    Text10->setPalette(scrollBar);

    // Stacking, bottom up: the drawing, labels, frame lines, panel headings,
    // and the windowed controls, whose borders no caption may cover.
    const QList<QWidget *> children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (qobject_cast<FrameLine *>(child))
            child->raise();
    }
    for (QLabel *heading : headings)
        heading->raise();
    for (QWidget *child : children) {
        if (!qobject_cast<QLabel *>(child) && !qobject_cast<FrameLine *>(child) && child != surface)
            child->raise();
    }

    QWidget *const tabOrder[] = {List1, text, Text7, Text5, Option1, Option2, Command2, Command5,
                                 Command1, Command3, Command4, Text1, Text2, Text3, bmi};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(Command2, &QPushButton::clicked, this, &Form1::takeOver);
    connect(Command5, &QPushButton::clicked, this, &Form1::showHistoryTable);
    connect(Command1, &QPushButton::clicked, this, &Form1::drawHistoryChart);
    connect(Command3, &QPushButton::clicked, this, &Form1::printReport);
    connect(Command4, &QPushButton::clicked, this, &Form1::exitStation);

    // Loading the window.
    Option1->setChecked(true);
    Text3->setText(StationLocale::shortDate(QDate::currentDate()));
    List1->setFocus();
}

QLabel *Form1::addLabel(const char *name, const QString &caption, int left, int top, int width, int height,
                        const QFont &font)
{
    auto *label = place(new QLabel(caption, this), name, left, top, width, height, font);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Opaque like the window, so a drawing never shows through a caption.
    label->setAutoFillBackground(true);
    return label;
}

QLineEdit *Form1::addTextBox(const char *name, int left, int top, int width, int height, const QFont &font,
                             int maxLength)
{
    auto *box = place(new QLineEdit(this), name, left, top, width, height, font);
    box->setMaxLength(maxLength);
    return box;
}

QPushButton *Form1::addButton(const char *name, const QString &caption, int left, int top, int width, int height)
{
    auto *button = place(new QPushButton(caption, this), name, left, top, width, height, stationFont(8.25));
    // Enter presses the button that has the focus.
    button->setAutoDefault(true);
    button->installEventFilter(this);
    return button;
}

void Form1::addLine(const char *name, int x1, int y1, int x2, int y2, int width)
{
    (new FrameLine(x1, y1, x2, y2, width, this))->setObjectName(QLatin1String(name));
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // An access key presses its button at once: Qt would animate the press
    // and run it later, after keys typed meanwhile had changed the fields.
    if (event->type() != QEvent::Shortcut)
        return false;
    auto *button = static_cast<QPushButton *>(watched);
    button->setFocus(Qt::ShortcutFocusReason);
    button->click();
    return true;
}

bool Form1::focusNextPrevChild(bool next)
{
    const bool moved = QWidget::focusNextPrevChild(next);
    // The option group is one stop, on the selected button. Qt passes over
    // the group's other button when leaving it, but enters it on whichever
    // button comes first.
    QRadioButton *selected = Option2->isChecked() ? Option2 : Option1;
    if (focusWidget() == Option1 || focusWidget() == Option2)
        selected->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return moved;
}

QString Form1::personPath() const
{
    return PersonFile::path(PersonFile::fullName(text->text(), Text7->text()));
}

void Form1::setFieldsFromHistory(const QString &storedAge)
{
    Text5->setText(storedAge);
    Text1->clear();
    Text2->clear();
    bmi->clear();
}

void Form1::takeOver()
{
    const auto plan = TakeOver::plan({text->text(), Text7->text(), Text5->text(), Option1->isChecked(),
                                      Option2->isChecked(), Text2->text(), Text1->text(), Text3->text()});
    if (const QString *refusal = std::get_if<QString>(&plan)) {
        MessageBox::information(this, *refusal);
        return;
    }
    const TakeOverPlan &accepted = std::get<TakeOverPlan>(plan);
    bmi->setText(accepted.bmiText);
    // From here the list shows this take-over's assessment or nothing, never
    // another person's: also when nothing is stored, or the value selects no file.
    List1->clear();
    const QString failure = PersonFile::store(accepted.path, accepted.headerLine, accepted.recordLine);
    if (!failure.isEmpty()) {
        MessageBox::information(this, failure);
        return;
    }
    showAssessment();
}

void Form1::showAssessment()
{
    for (const QString &file : Assessment::files(bmi->text(), Text5->text(), Option2->isChecked())) {
        // Each file clears away what the one before it gave, also when it is missing.
        List1->clear();
        QString message;
        auto lines = Assessment::read(file, message);
        if (!lines) {
            MessageBox::information(this, message);
            return;
        }
        List1->setLines(std::move(*lines));
    }
}

void Form1::showHistoryTable()
{
    if (text->text().isEmpty() || Text7->text().isEmpty()) {
        MessageBox::information(this, PersonFile::noRecordMessage());
        return;
    }
    PersonHistory history = PersonHistory::read(personPath(), PersonHistory::Extent::Whole);
    // A file that is there but cannot be read leaves the window as it was.
    if (history.status() == TextFile::Status::Unreadable) {
        MessageBox::information(this, history.message());
        return;
    }
    Text1->clear();
    Text2->clear();
    bmi->clear();
    List1->setLines(history.lines());
    if (history.status() == TextFile::Status::Missing)
        MessageBox::information(this, history.message());
}

void Form1::drawHistoryChart()
{
    const PersonHistory history = PersonHistory::read(personPath(), PersonHistory::Extent::Chart);
    if (history.status() != TextFile::Status::Read) {
        MessageBox::information(this, history.message());
        return;
    }
    setFieldsFromHistory(history.storedAge());
    // Any other letter (a one- or three-digit age shifts it) leaves the options alone.
    if (history.sexLetter() == QLatin1String("m"))
        Option1->setChecked(true);
    else if (history.sexLetter() == QLatin1String("w"))
        Option2->setChecked(true);
    HistoryChart::draw(*surface, history);
}

void Form1::printReport()
{
    if (text->text().isEmpty() || Text7->text().isEmpty()) {
        MessageBox::information(this, PersonFile::noRecordMessage());
        return;
    }
    const QString fullName = PersonFile::fullName(text->text(), Text7->text());
    const PersonHistory history = PersonHistory::read(personPath(), PersonHistory::Extent::Whole);
    if (history.status() == TextFile::Status::Unreadable) {
        MessageBox::information(this, history.message());
        return;
    }
    if (history.status() == TextFile::Status::Read) {
        setFieldsFromHistory(history.storedAge());
        surface->clear();
    }
    const QString pdfPath = personPath().isEmpty() ? QString() : personPath().chopped(4) + QStringLiteral(".pdf");
    const std::unique_ptr<Printer> printer = m_openPrinter({QStringLiteral("BMI - Pondra: ") + fullName, pdfPath});
    PrintedReport::print(*printer, history);
    if (history.status() == TextFile::Status::Missing)
        MessageBox::information(this, history.message());
    const QString outcome = printer->endDocument();
    if (!outcome.isEmpty())
        MessageBox::information(this, outcome);
}

void Form1::exitStation()
{
    if (MessageBox::question(this, QStringLiteral("Software beenden?")) != MessageBox::Ok)
        return;
    QStringList command;
    for (const std::string &part : Native::shutdownCommand())
        command << QString::fromStdString(part);
    // Watched without waiting: a system that refuses (no permission, an
    // inhibitor) answers by the command's exit status. The window stays
    // open; the shutdown ends the program with everything else.
    auto *process = new QProcess(this);
    auto refused = [this] {
        MessageBox::information(this, QStringLiteral("Der Rechner konnte nicht heruntergefahren werden."));
    };
    // Each press starts its own command; its process goes once it has ended.
    connect(process, &QProcess::errorOccurred, this, [process, refused](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            process->deleteLater();
            refused();
        }
    });
    connect(process, &QProcess::finished, this, [process, refused](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if (code != 0 || status != QProcess::NormalExit)
            refused();
    });
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(QStandardPaths::findExecutable(command.takeFirst()), command);
}
