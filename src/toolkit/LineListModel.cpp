#include "toolkit/LineListModel.h"

void LineListModel::setLines(TextLines lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    m_rowSize = QSize();
    endResetModel();
}

void LineListModel::setRowSize(QSize size)
{
    m_rowSize = size;
    emit layoutChanged();
}

int LineListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.count());
}

QModelIndex LineListModel::index(int row, int column, const QModelIndex &parent) const
{
    const bool inside = row >= 0 && row < m_lines.count() && column == 0 && !parent.isValid();
    return inside ? createIndex(row, column) : QModelIndex();
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::SizeHintRole && m_rowSize.isValid())
        return m_rowSize;
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    return m_lines.at(index.row());
}
