#pragma once

#include <sys/resource.h>

// While it lives, no file of this process may grow beyond the given size:
// a write past it is cut short and the next one fails with EFBIG, as on a
// disk that runs full in the middle of a write. Needs no privileges.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};
