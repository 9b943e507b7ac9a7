#include "support/OrdinaryUser.h"

#include <sys/fsuid.h>
#include <unistd.h>

namespace {
constexpr uid_t kNobody = 65534;
}

OrdinaryUser::OrdinaryUser()
{
    if (::geteuid() != 0)
        return;
    // Leaving file-system uid 0 also drops root's override of permission bits.
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
    m_switched = true;
}

OrdinaryUser::~OrdinaryUser()
{
    if (!m_switched)
        return;
    ::setfsuid(0);
    ::setfsgid(0);
}
