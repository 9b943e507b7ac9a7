#include "records/PersonHistory.h"

#include "records/PersonFile.h"

PersonHistory PersonHistory::read(const QString &path, Extent extent)
{
    // The header line and the empty line come before the records.
    const qsizetype charted = 2 + kChartedRecords;
    TextFile::Contents file = TextFile::read(path, extent == Extent::Chart ? std::optional(charted) : std::nullopt);
    PersonHistory history;
    history.m_path = path;
    history.m_status = file.status;
    history.m_reason = file.reason;
    history.m_lines = TextLines(std::move(file.bytes));
    for (qsizetype i = 2; i < qMin(history.m_lines.count(), charted); ++i) {
        if (const auto value = NormalRange::plotValue(history.m_lines.at(i)))
            history.m_plotValues.append(*value);
    }
    return history;
}

QString PersonHistory::message() const
{
    return m_status == TextFile::Status::Missing ? PersonFile::noRecordMessage()
                                                 : PersonFile::unreadableMessage(m_path, m_reason);
}

QString PersonHistory::storedAge() const
{
    return PersonFile::storedAge(headerLine());
}

QString PersonHistory::sexLetter() const
{
    return PersonFile::sexLetter(headerLine());
}

NormalRange PersonHistory::normalRange() const
{
    return NormalRange::forStoredAge(storedAge(), sexLetter());
}
