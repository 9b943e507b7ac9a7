#pragma once

#include <QString>
#include <QStringList>

// Tells whether anything opened one of the watched entries while the watch
// lived: opening a device or a FIFO can have effects of its own, and a file
// outside the data folder that was never opened was never read. Links are
// watched themselves, not followed.
class OpenWatch
{
public:
    OpenWatch();
    ~OpenWatch();
    OpenWatch(const OpenWatch &) = delete;
    OpenWatch &operator=(const OpenWatch &) = delete;

    bool watch(const QString &path);
    // The watched paths opened since the watch began (or since the last call).
    QStringList opened();

private:
    int m_fd = -1;
    QStringList m_paths; // by watch descriptor - 1
};
