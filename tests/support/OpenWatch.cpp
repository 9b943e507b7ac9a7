#include "support/OpenWatch.h"

#include <QFile>

#include <sys/inotify.h>
#include <unistd.h>

OpenWatch::OpenWatch()
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
}

OpenWatch::~OpenWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool OpenWatch::watch(const QString &path)
{
    if (m_fd < 0)
        return false;
    const int wd = ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN | IN_DONT_FOLLOW);
    if (wd < 0)
        return false;
    while (m_paths.size() < wd)
        m_paths.append(QString());
    m_paths[wd - 1] = path;
    return true;
}

QStringList OpenWatch::opened()
{
    QStringList paths;
    alignas(inotify_event) char buffer[4096];
    ssize_t n;
    while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
        for (char *p = buffer; p < buffer + n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(p);
            if ((event->mask & IN_OPEN) && event->wd > 0 && event->wd <= m_paths.size()
                && !paths.contains(m_paths[event->wd - 1]))
                paths.append(m_paths[event->wd - 1]);
            p += sizeof(inotify_event) + event->len;
        }
    }
    return paths;
}
