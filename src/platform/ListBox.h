#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// A list box of text entries: remove all, add at the end. Entries live in a
// model, so a list of a million lines costs one string each and no widget.
class ListBox : public QListView
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    void clear();
    void addItem(const QString &text);
    // Replaces all entries at once.
    void setItems(QStringList items);

    int count() const;
    QString item(int row) const;
    QStringList items() const;

private:
    QStringListModel *m_model;
};
