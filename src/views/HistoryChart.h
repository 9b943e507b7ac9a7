#pragma once

#include <QColor>

class DrawingSurface;
class PersonHistory;

// A person's history on the window: the BMI values outside the normal range
// as two hatched boxes, the record BMIs as a line, one step right per record.
class HistoryChart
{
public:
    // The outline of the boxes, on the window and on paper.
    static const QColor kOutline;

    // Replaces whatever the surface showed.
    static void draw(DrawingSurface &surface, const PersonHistory &history);
};
