#pragma once

#include "system/TextFile.h"
#include "system/TextLines.h"
#include "records/NormalRange.h"

#include <QList>
#include <QString>

// A person file read back: the header line and what its reading rules give,
// the plot values of the first record lines, and the lines as stored.
class PersonHistory
{
public:
    // The chart shows at most this many record lines, as that many - 1 segments.
    static constexpr int kChartedRecords = 31;

    // The chart needs only the first lines; the report and the table all.
    enum class Extent { Chart, Whole };

    static PersonHistory read(const QString &path, Extent extent);

    TextFile::Status status() const { return m_status; }
    // What the user is told when the status is not Read.
    QString message() const;

    // Empty texts when the file has no such line.
    QString headerLine() const { return line(0); }
    QString line2() const { return line(1); }
    QString storedAge() const;
    QString sexLetter() const;
    NormalRange normalRange() const;
    // Of the first kChartedRecords record lines, those whose BMI is a number.
    const QList<int> &plotValues() const { return m_plotValues; }
    // Every line read, header and empty line included.
    const TextLines &lines() const { return m_lines; }

private:
    QString line(qsizetype index) const { return index < m_lines.count() ? m_lines.at(index) : QString(); }

    QString m_path;
    TextFile::Status m_status = TextFile::Status::Missing;
    QString m_reason;
    TextLines m_lines;
    QList<int> m_plotValues;
};
