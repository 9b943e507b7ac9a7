#pragma once

#include <QObject>

// Ends the program once the first paint of any widget is done; installed on
// the application, as a window's own paint may be wholly covered by children. Only start-up benchmarks ask for it (BMI_PONDRA_EXIT_AFTER_FIRST_PAINT).
class FirstPaintExit : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    static bool requested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
