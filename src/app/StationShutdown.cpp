#include "app/StationShutdown.h"

#include "platform/CommandStarter.h"
#include "platform/MessageBox.h"

#include <QStandardPaths>

StationShutdown::StationShutdown(CommandStarter &starter)
    : m_starter(starter)
{
}

void StationShutdown::run(QWidget *parent)
{
    if (MessageBox::question(parent, QStringLiteral("Software beenden?")) != MessageBox::Ok)
        return;

#ifdef Q_OS_WIN
    const QString program = QStringLiteral("C:\\WINDOWS\\RUNDLL32.EXE");
    const QStringList arguments{QStringLiteral("user.exe,ExitWindows")};
#else
    const QString program = QStandardPaths::findExecutable(QStringLiteral("systemctl"));
    const QStringList arguments{QStringLiteral("poweroff")};
#endif
    const bool started = !program.isEmpty()
        && m_starter.start(program, arguments, CommandStarter::WindowStyle::MinimizedWithFocus);
    if (!started)
        MessageBox::information(parent, QStringLiteral("Der Rechner konnte nicht heruntergefahren werden."));
}
