#include "app/Form1.h"
#include "app/Startup.h"
#include "toolkit/SystemPrinter.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup::prepare(app);
    Form1 window(&SystemPrinter::open);
    window.show();
    // The start-up benchmark ends here, once the window has painted.
    if (qEnvironmentVariableIsSet("BMI_PONDRA_EXIT_AFTER_FIRST_PAINT")) {
        window.repaint();
        return 0;
    }
    return app.exec();
}
