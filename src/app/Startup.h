#pragma once

class Form1;
class QApplication;

// What the program does around loading its window.
class Startup
{
public:
    // German texts in Qt's own dialogs and the station's regional settings.
    static void prepare(QApplication &app);
    // Shows the window and says at once when nothing can be stored.
    static void show(Form1 &window);
};
