// Drives a periodic QTimer against a steady clock: tick k falls due at start + k * interval,
// with the event loop's usual lateness learned and taken off the next wait.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class QTimer;

namespace hop::shell {

class SteadyTimer : public QObject {
    Q_OBJECT
public:
    // Nanoseconds on a steady clock; tests hand in their own.
    using Clock = std::function<qint64()>;

    // Takes over `timer`; its interval is the period.
    explicit SteadyTimer(QTimer* timer, Clock clock = {});

    void start();
    void stop();
    void setInterval(int ms);
    bool isActive() const;

Q_SIGNALS:
    void tick();

private:
    void scheduleNext();
    void expired();

    QTimer* timer_;
    QElapsedTimer elapsed_;
    Clock clock_;
    int period_ = 0;
    qint64 start_ = 0;
    qint64 due_ = 0;
    qint64 aimed_ = 0;
    qint64 lateness_ = 0;
    qint64 ticks_ = 0;
};

} // namespace hop::shell
