#pragma once

#include "system/TextLines.h"

#include <QAbstractListModel>
#include <QSize>

// The entries of a list box: the lines of a text, decoded only for the rows
// on screen, so that a list of a million lines stays quick.
class LineListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setLines(TextLines lines);
    const TextLines &lines() const { return m_lines; }
    // The size every row reports, once the widest row is known.
    void setRowSize(QSize size);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The view asks for every row's index when it lays out: without the
    // base's two further virtual calls per row.
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    TextLines m_lines;
    QSize m_rowSize;
};
