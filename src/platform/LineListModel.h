#pragma once

#include "platform/TextLines.h"

#include <QAbstractListModel>
#include <QStringList>

// The entries of a list box: either a few texts, or a whole file's lines
// kept compactly and decoded only for the rows on screen.
class LineListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void clear();
    void append(const QString &text);
    void setStrings(QStringList strings);
    void setLines(TextLines lines);

    // The whole entry; the view is given only as much of it as could show.
    QString line(int row) const;
    QStringList allLines() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList m_strings;
    TextLines m_lines; // when set, m_strings is empty
};
