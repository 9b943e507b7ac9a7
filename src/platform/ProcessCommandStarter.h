#pragma once

#include "platform/CommandStarter.h"

// Starts a detached process.
class ProcessCommandStarter : public CommandStarter
{
public:
    bool start(const QString &program, const QStringList &arguments, WindowStyle style) override;
};
