#pragma once

#include "toolkit/Printer.h"

#include <QWidget>

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
    // openPrinter opens the printer for one report (tests hand in a recorder).
    explicit Form1(Printer::Factory openPrinter);

protected:
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *addLabel(const char *name, const QString &caption, int left, int top, int width, int height,
                     const QFont &font);
    QLineEdit *addTextBox(const char *name, int left, int top, int width, int height, const QFont &font,
                          int maxLength = 32767);
    QPushButton *addButton(const char *name, const QString &caption, int left, int top, int width, int height);
    void addLine(const char *name, int x1, int y1, int x2, int y2, int width = 1);

    QString personPath() const;
    void setFieldsFromHistory(const QString &storedAge);

    // Button operations.
    void takeOver();         // Command2
    void showAssessment();   // ends every take-over
    void showHistoryTable(); // Command5
    void drawHistoryChart(); // Command1
    void printReport();      // Command3
    void exitStation();      // Command4

    Printer::Factory m_openPrinter;
    DrawingSurface *surface;
    QLineEdit *text = nullptr;
    QLineEdit *Text7 = nullptr;
    QLineEdit *Text5 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *bmi = nullptr;
    ListBox *List1 = nullptr;
};
