#pragma once

#include "platform/CommandStarter.h"

#include <QList>

// Records what would have been started; starts nothing.
class FakeCommandStarter : public CommandStarter
{
public:
    struct Call
    {
        QString program;
        QStringList arguments;
        WindowStyle style;
    };

    bool start(const QString &program, const QStringList &arguments, WindowStyle style) override;

    QList<Call> calls;
    bool succeed = true;
};
