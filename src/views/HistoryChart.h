#pragma once

#include <QList>
#include <QString>

class DrawingSurface;

// A person's stored BMI history as the window's chart shows it: the normal
// range for the stored age and sex as two hatched boxes, and the record BMIs
// as a line of at most 30 segments, one step to the right per record.
class HistoryChart
{
public:
    enum class Status { Read, Missing, Unreadable };

    static constexpr int kMaxSegments = 30;

    // Reads the header line, passes over line 2 and reads at most the first
    // 31 record lines; the rest of the file is never read, however long.
    // A record line whose BMI is no number is passed over: it counts toward
    // the 31 lines but draws nothing, and the next number joins the last one.
    static HistoryChart read(const QString &path);

    Status status() const { return m_status; }
    // What the user is told when the status is not Read.
    QString message() const { return m_message; }

    // Taken from the header line by the person file's reading rules.
    QString storedAge() const;
    QString sexLetter() const;

    // Replaces whatever the surface showed with this chart.
    void draw(DrawingSurface &surface) const;

    // Height of a BMI value on the window, in twips.
    static double heightOf(double value);

private:
    Status m_status = Status::Missing;
    QString m_message;
    QString m_headerLine;
    QList<int> m_plotValues;
};
