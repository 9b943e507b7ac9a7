// The yardstick for start-up: an empty Qt window of the station's size,
// built with the same flags, ending at its first paint as the station does.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(799, 573);
    window.show();
    if (qEnvironmentVariableIsSet("BMI_PONDRA_EXIT_AFTER_FIRST_PAINT")) {
        window.repaint();
        return 0;
    }
    return app.exec();
}
