#pragma once

#include <QString>
#include <memory>

// A mount that only this test process sees. enterNamespace() moves the
// process into a mount namespace of its own, so whatever a test mounts never
// shows outside it and vanishes with the process even after a crash.
// Mounting needs root; without it the tests that need a mount skip.
class PrivateMount
{
public:
    // Call from the test's initMain(), before any mount is asked for.
    static void enterNamespace();
    // Empty when mounting works, else why it does not.
    static QString unavailableReason();

    // An empty tmpfs of the given size over the folder.
    static std::unique_ptr<PrivateMount> tmpfs(const QString &folder, qint64 bytes);
    // The folder, bound onto itself and made read-only.
    static std::unique_ptr<PrivateMount> readOnly(const QString &folder);

    ~PrivateMount();
    PrivateMount(const PrivateMount &) = delete;
    PrivateMount &operator=(const PrivateMount &) = delete;

private:
    explicit PrivateMount(const QString &folder);
    QByteArray m_folder;
};
