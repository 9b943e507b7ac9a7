#pragma once

#include "platform/Printer.h"

#include <QWidget>

class CommandStarter;
class DrawingSurface;
class ListBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The station's one window. Controls carry the names by which the station's
// documentation addresses them; every button runs one operation from start
// to end, reading and writing the controls directly.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    // What the window needs from outside; tests hand in fakes.
    struct Services
    {
        CommandStarter *commandStarter = nullptr;
        // Opens the printer for one report; the system's printer when empty.
        Printer::Factory openPrinter;
    };

    explicit Form1(const Services &services, QWidget *parent = nullptr);

    DrawingSurface *drawingSurface() const { return surface; }

protected:
    bool focusNextPrevChild(bool next) override;

private:
    void buildControls();
    void setTabOrder();
    QLabel *addLabel(const char *name, const QString &caption, int left, int top, int width, int height,
                     const QFont &font);
    QLineEdit *addTextBox(const char *name, int left, int top, int width, int height, const QFont &font,
                          int maxLength = 0);
    QPushButton *addButton(const char *name, const QString &caption, int left, int top, int width, int height);
    void addLine(const char *name, int x1, int y1, int x2, int y2, int width = 1);

    // Button operations.
    void takeOver();          // Command2
    void showAssessment();    // ends every take-over
    void showHistoryTable();  // Command5
    void drawHistoryChart();  // Command1
    void printReport();       // Command3
    void exitStation();       // Command4

    Services services;
    QList<QWidget *> m_lines;

    DrawingSurface *surface = nullptr;
    QLineEdit *text = nullptr;
    QLineEdit *Text7 = nullptr;
    QLineEdit *Text5 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *bmi = nullptr;
    QLineEdit *Text10 = nullptr;
    ListBox *List1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
};
