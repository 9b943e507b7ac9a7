#include "support/FakeCommandStarter.h"

bool FakeCommandStarter::start(const QString &program, const QStringList &arguments, WindowStyle style)
{
    calls.append({program, arguments, style});
    return succeed;
}
