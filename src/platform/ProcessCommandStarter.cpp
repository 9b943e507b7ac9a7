#include "platform/ProcessCommandStarter.h"

#include <QProcess>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

bool ProcessCommandStarter::start(const QString &program, const QStringList &arguments, WindowStyle style)
{
    QProcess process;
    process.setProgram(program);
#ifdef Q_OS_WIN
    // The command line goes out as written, without quoting added.
    process.setNativeArguments(arguments.join(QLatin1Char(' ')));
    if (style == WindowStyle::MinimizedWithFocus) {
        process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
            args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
            args->startupInfo->wShowWindow = SW_SHOWMINIMIZED;
        });
    }
#else
    Q_UNUSED(style); // a window style means nothing to a command without a window
    process.setArguments(arguments);
#endif
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}
