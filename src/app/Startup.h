#pragma once

class QApplication;

// What the program sets up before its window loads: German texts in Qt's own
// dialogs and the station's regional settings.
class Startup
{
public:
    static void prepare(QApplication &app);
};
