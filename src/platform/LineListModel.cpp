#include "platform/LineListModel.h"

namespace {

// Far more characters than the list box is wide. The rest of a line is never
// drawn, but measuring a line of megabytes for its elision would freeze the
// window for many seconds.
constexpr qsizetype kShownLength = 1000;

} // namespace

void LineListModel::clear()
{
    beginResetModel();
    m_strings.clear();
    m_lines = TextLines();
    endResetModel();
}

void LineListModel::append(const QString &text)
{
    if (!m_lines.isEmpty()) {
        // Rare: adding to a listed file turns it into plain texts first.
        beginResetModel();
        m_strings = m_lines.toStringList();
        m_lines = TextLines();
        endResetModel();
    }
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_strings.append(text);
    endInsertRows();
}

void LineListModel::setStrings(QStringList strings)
{
    beginResetModel();
    m_strings = std::move(strings);
    m_lines = TextLines();
    endResetModel();
}

void LineListModel::setLines(TextLines lines)
{
    beginResetModel();
    m_strings.clear();
    m_lines = std::move(lines);
    endResetModel();
}

QString LineListModel::line(int row) const
{
    return m_lines.isEmpty() ? m_strings.value(row) : m_lines.at(row);
}

QStringList LineListModel::allLines() const
{
    return m_lines.isEmpty() ? m_strings : m_lines.toStringList();
}

int LineListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_lines.isEmpty() ? m_strings.size() : m_lines.count());
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    const int row = index.row();
    return m_lines.isEmpty() ? m_strings.value(row).left(kShownLength) : m_lines.start(row, kShownLength);
}
