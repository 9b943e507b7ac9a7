#pragma once

#include <QCoreApplication>

// How a press waits for another station writing the same file: at most five
// seconds, the window repainting meanwhile but taking no input.
namespace OtherStation {

constexpr int kWaitMs = 5000;

inline void whileWaiting()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace OtherStation
