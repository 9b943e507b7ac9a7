#include "platform/ListBox.h"

#include "platform/LineListModel.h"

ListBox::ListBox(QWidget *parent)
    : QListView(parent)
    , m_model(new LineListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void ListBox::clear()
{
    m_model->clear();
}

void ListBox::addItem(const QString &text)
{
    m_model->append(text);
}

void ListBox::setItems(QStringList items)
{
    m_model->setStrings(std::move(items));
}

void ListBox::setLines(TextLines lines)
{
    m_model->setLines(std::move(lines));
}

int ListBox::count() const
{
    return m_model->rowCount();
}

QString ListBox::item(int row) const
{
    return m_model->line(row);
}

QStringList ListBox::items() const
{
    return m_model->allLines();
}
