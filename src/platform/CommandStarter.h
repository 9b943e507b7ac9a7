#pragma once

#include <QString>
#include <QStringList>

// Starts another program without waiting for it. Tests put a recording fake
// in its place, so nothing ever starts the real power-off there.
class CommandStarter
{
public:
    enum class WindowStyle { Normal, MinimizedWithFocus };

    virtual ~CommandStarter() = default;
    virtual bool start(const QString &program, const QStringList &arguments, WindowStyle style) = 0;
};
