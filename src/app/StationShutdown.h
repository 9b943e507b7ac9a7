#pragma once

class CommandStarter;
class QWidget;

// Ends work at the station: asks, and on OK starts the system's power-off.
// The window stays open; the shutdown ends the program with everything else.
class StationShutdown
{
public:
    explicit StationShutdown(CommandStarter &starter);

    void run(QWidget *parent);

private:
    CommandStarter &m_starter;
};
