#include "toolkit/ListBox.h"

#include "toolkit/LineListModel.h"

ListBox::ListBox(QWidget *parent)
    : QListView(parent)
    , m_model(new LineListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void ListBox::setLines(TextLines lines)
{
    m_model->setLines(std::move(lines));
    // Every row is as wide as the widest. A long list has only its longest
    // lines measured: measuring a million would hold the window.
    const TextLines &shown = m_model->lines();
    const qsizetype enough = LineListModel::kShownLength;
    qsizetype longest = 0;
    for (qsizetype row = 0; row < shown.count(); ++row)
        longest = qMax(longest, shown.length(row));
    int widest = -1;
    int widestRow = 0;
    for (qsizetype row = 0, measured = 0; row < shown.count() && measured < enough; ++row) {
        if (shown.count() > enough && shown.length(row) < longest)
            continue;
        ++measured;
        const int width = fontMetrics().horizontalAdvance(shown.start(row, enough));
        if (width > widest) {
            widest = width;
            widestRow = int(row);
        }
    }
    if (widest >= 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        m_model->setRowSize(itemDelegate()->sizeHint(option, m_model->index(widestRow)));
    }
}
