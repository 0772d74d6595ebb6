// Measures how late a 10 ms timer fires while a benchmark drives the event loop: the longest
// stall is how long the window would have been unresponsive.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace tarnwick {

class StallProbe final {
public:
    StallProbe() {
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(kIntervalMs);
        QObject::connect(&probe, &QTimer::timeout, &probe, [this] {
            worstStallMs = std::max(worstStallMs, sinceTick.elapsed() - kIntervalMs);
            sinceTick.restart();
        });
    }

    void Start() {
        sinceTick.start();
        probe.start();
    }
    void Stop() { probe.stop(); }
    qint64 WorstStallMs() const { return worstStallMs; }

private:
    static constexpr int kIntervalMs = 10;
    qint64 worstStallMs = 0;
    QElapsedTimer sinceTick;
    QTimer probe;
};

} // namespace tarnwick
