#include "toolkit/ListBox.h"

#include "toolkit/LineListModel.h"

#include <QHash>
#include <QStyledItemDelegate>
#include <QtMath>

#include <algorithm>

namespace {

// A line is laid out in parts of this many bytes; a longer line is drawn
// only from the part at the list's left edge to the one at its right edge.
constexpr qsizetype kPart = 1024;
// Rows measured for the width of a long list: measuring a million would hold the window.
constexpr qsizetype kMeasured = 1000;

} // namespace

// Draws the rows. Shaping a line of megabytes would hold the window for
// minutes, so a long line is placed by the sum of its characters' widths,
// kept per part, and only the parts on screen are drawn, without kerning so
// that they lie exactly where the sums say.
class ListBox::Delegate : public QStyledItemDelegate
{
public:
    explicit Delegate(ListBox *list) : QStyledItemDelegate(list), m_list(list) {}

    void forget()
    {
        m_ends.clear();
        m_advances.clear();
    }

    qreal width(int row) const
    {
        const TextLines &lines = m_list->m_model->lines();
        return lines.length(row) <= kPart ? m_list->fontMetrics().horizontalAdvance(lines.at(row)) : partEnds(row).last();
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (m_list->m_model->lines().length(index.row()) <= kPart) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QList<qreal> &ends = partEnds(index.row());
        // The row's stretch on screen, from the line's start, with room for the text margin.
        const qreal left = -option.rect.left() - 2 * textMargin();
        const qreal right = left + m_list->viewport()->width() + 4 * textMargin();
        const qsizetype first = qMin(std::upper_bound(ends.begin(), ends.end(), left) - ends.begin(), ends.size() - 1);
        const qsizetype last = qMin(std::lower_bound(ends.begin(), ends.end(), right) - ends.begin(), ends.size() - 1);
        QStyleOptionViewItem shown = option;
        shown.index = index;
        shown.features |= QStyleOptionViewItem::HasDisplay;
        shown.font.setKerning(false);
        shown.text = m_list->m_model->lines().part(index.row(), first * kPart, (last - first + 1) * kPart);
        shown.rect.setLeft(option.rect.left() + qRound(first > 0 ? ends[first - 1] : 0));
        style()->drawControl(QStyle::CE_ItemViewItem, &shown, painter, option.widget);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (const QVariant size = index.data(Qt::SizeHintRole); size.isValid()
            || m_list->m_model->lines().length(index.row()) <= kPart)
            return QStyledItemDelegate::sizeHint(option, index);
        // The first part as the style measures it, and the rest by the sum of its widths.
        QStyleOptionViewItem first = option;
        first.features |= QStyleOptionViewItem::HasDisplay;
        first.font.setKerning(false);
        first.text = m_list->m_model->lines().part(index.row(), 0, kPart);
        QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &first, QSize(), option.widget);
        const QList<qreal> &ends = partEnds(index.row());
        size.rwidth() += qCeil(ends.last() - ends.first());
        return size;
    }

private:
    QStyle *style() const { return m_list->style(); }
    int textMargin() const { return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1; }

    // Where each part of a long line ends, in pixels from the line's start.
    const QList<qreal> &partEnds(int row) const
    {
        if (const auto known = m_ends.constFind(row); known != m_ends.cend())
            return *known;
        const TextLines &lines = m_list->m_model->lines();
        QList<qreal> ends;
        qreal x = 0;
        for (qsizetype from = 0; from < lines.length(row); from += kPart) {
            for (const QChar c : lines.part(row, from, kPart))
                x += advance(c);
            ends << x;
        }
        return *m_ends.insert(row, ends);
    }

    qreal advance(QChar c) const
    {
        if (m_advances.empty())
            m_advances.assign(0x10000, -1);
        float &width = m_advances[c.unicode()];
        if (width < 0)
            width = float(QFontMetricsF(m_list->font()).horizontalAdvance(c));
        return width;
    }

    ListBox *m_list;
    mutable QHash<int, QList<qreal>> m_ends;
    mutable std::vector<float> m_advances; // by character
};

ListBox::ListBox(QWidget *parent)
    : QListView(parent)
    , m_model(new LineListModel(this))
    , m_delegate(new Delegate(this))
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void ListBox::setLines(TextLines lines)
{
    m_delegate->forget();
    m_model->setLines(std::move(lines));
    // Every row is as wide as the widest. A long list has only its longest
    // lines measured.
    const TextLines &shown = m_model->lines();
    qsizetype longest = 0;
    for (qsizetype row = 0; row < shown.count(); ++row)
        longest = qMax(longest, shown.length(row));
    qreal widest = -1;
    int widestRow = 0;
    for (qsizetype row = 0, measured = 0; row < shown.count() && measured < kMeasured; ++row) {
        if (shown.count() > kMeasured && shown.length(row) < longest)
            continue;
        ++measured;
        if (const qreal width = m_delegate->width(int(row)); width > widest) {
            widest = width;
            widestRow = int(row);
        }
    }
    if (widest >= 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        m_model->setRowSize(m_delegate->sizeHint(option, m_model->index(widestRow)));
    }
}
