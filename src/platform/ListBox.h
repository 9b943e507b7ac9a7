#pragma once

#include "platform/TextLines.h"

#include <QListView>
#include <QStringList>

class LineListModel;

// A list box of text entries: remove all, add at the end. Entries live in a
// model, so a list of a million lines costs no widget, and a listed file
// little more than its own bytes.
class ListBox : public QListView
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    void clear();
    void addItem(const QString &text);
    // Replaces all entries at once.
    void setItems(QStringList items);
    // Replaces all entries with the lines of a file.
    void setLines(TextLines lines);

    int count() const;
    QString item(int row) const;
    QStringList items() const;

private:
    LineListModel *m_model;
};
