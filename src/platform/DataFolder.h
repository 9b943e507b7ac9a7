#pragma once

#include <QString>

// The one folder holding person files and assessment files. The program
// never creates it; the start script does.
class DataFolder
{
public:
    // With a trailing separator, so a file name can be appended directly.
    static QString path();
};
