#pragma once

class QApplication;

// What the program does around loading its window.
class Startup
{
public:
    // German texts in Qt's own dialogs and the station's regional settings.
    static void prepare(QApplication &app);
};
