#include "app/KeepPainted.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// Short enough that a window uncovered during a pause is redrawn without a visible delay.
constexpr qint64 kPaintStepMilliseconds = 5;

} // namespace

void KeepWindowsPainted()
{
    // User input stays queued: clicks and keys reach the window only after the operation.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void PauseKeepingWindowsPainted(unsigned milliseconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        KeepWindowsPainted();
        const qint64 left = static_cast<qint64>(milliseconds) - elapsed.elapsed();
        if (left <= 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kPaintStepMilliseconds)));
    }
}
