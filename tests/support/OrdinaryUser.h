#pragma once

#include <sys/types.h>

// While it lives, the file system checks this thread's access as for an
// ordinary user (nobody), so permission bits stop writes even when the tests
// run as root. Only file access changes, and only on this thread.
class OrdinaryUser
{
public:
    OrdinaryUser();
    ~OrdinaryUser();
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

private:
    bool m_switched = false;
};
