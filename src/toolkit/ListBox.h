#pragma once

#include "system/TextLines.h"

#include <QListView>

class LineListModel;

// A list box of text entries, each shown whole: an entry wider than the list
// scrolls sideways instead of being cut off.
class ListBox : public QListView
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent);

    void clear() { setLines({}); }
    // Replaces all entries with these lines.
    void setLines(TextLines lines);

private:
    class Delegate;

    LineListModel *m_model;
    Delegate *m_delegate;
};
