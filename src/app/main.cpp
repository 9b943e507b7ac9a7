#include "app/FirstPaintExit.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "platform/ProcessCommandStarter.h"
#include "platform/SystemPrinter.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup::prepare(app);

    ProcessCommandStarter commandStarter;
    Form1 window(Form1::Services{&commandStarter, &SystemPrinter::open});
    if (FirstPaintExit::requested())
        app.installEventFilter(new FirstPaintExit(&app));
    window.show();
    return app.exec();
}
