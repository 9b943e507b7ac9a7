#pragma once

#include "platform/Printer.h"

class DrawingSurface;
class QLineEdit;
class QWidget;
class TextFileReader;

// "D&rucken": one print document with the stored BMI history drawn against
// the normal range, then the header line and every record line as text.
// A press also puts the stored age back into the window, empties weight,
// height and BMI, and clears the drawing on the window.
class PrintedReport
{
public:
    // The parts of the window that a press reads or changes.
    struct Window
    {
        QWidget *messageParent = nullptr;
        QLineEdit *firstName = nullptr;
        QLineEdit *lastName = nullptr;
        QLineEdit *age = nullptr;
        QLineEdit *weight = nullptr;
        QLineEdit *height = nullptr;
        QLineEdit *bmi = nullptr;
        DrawingSurface *surface = nullptr;
    };

    PrintedReport(const Window &window, const Printer::Factory &openPrinter);

    void print();

private:
    void printChart(Printer &printer, TextFileReader &file, QString &headerLine, QString &line2);
    void report(const Printer::Outcome &outcome);
    void showUnreadable(const QString &path, const QString &reason);

    Window m_window;
    Printer::Factory m_openPrinter;
};
