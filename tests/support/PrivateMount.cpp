#include "support/PrivateMount.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

QString &reason()
{
    static QString text = QStringLiteral("the test did not enter a mount namespace of its own");
    return text;
}

QString failed(const char *what)
{
    return QStringLiteral("%1 failed: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

void PrivateMount::enterNamespace()
{
    if (::geteuid() != 0)
        reason() = QStringLiteral("mounting a file system for the test needs root");
    else if (::unshare(CLONE_NEWNS) != 0)
        reason() = failed("unshare(CLONE_NEWNS)");
    // Keep every mount of the test from propagating back to the system.
    else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        reason() = failed("making the mounts private");
    else
        reason().clear();
}

QString PrivateMount::unavailableReason()
{
    return reason();
}

PrivateMount::PrivateMount(const QString &folder)
    : m_folder(QFile::encodeName(folder))
{
}

PrivateMount::~PrivateMount()
{
    if (!m_folder.isEmpty())
        ::umount2(m_folder.constData(), MNT_DETACH);
}

std::unique_ptr<PrivateMount> PrivateMount::tmpfs(const QString &folder, qint64 bytes)
{
    if (!reason().isEmpty())
        return nullptr;
    const QByteArray options = "size=" + QByteArray::number(bytes);
    std::unique_ptr<PrivateMount> m(new PrivateMount(folder));
    if (::mount("tmpfs", m->m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0) {
        qWarning("%s", qPrintable(failed("mounting a tmpfs")));
        m->m_folder.clear();
        return nullptr;
    }
    return m;
}

std::unique_ptr<PrivateMount> PrivateMount::readOnly(const QString &folder)
{
    if (!reason().isEmpty())
        return nullptr;
    std::unique_ptr<PrivateMount> m(new PrivateMount(folder));
    const char *path = m->m_folder.constData();
    if (::mount(path, path, nullptr, MS_BIND, nullptr) != 0) {
        qWarning("%s", qPrintable(failed("binding the folder")));
        m->m_folder.clear();
        return nullptr;
    }
    if (::mount(nullptr, path, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        qWarning("%s", qPrintable(failed("remounting read-only")));
        return nullptr; // the destructor removes the bind again
    }
    return m;
}
