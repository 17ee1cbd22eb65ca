// Drives a periodic QTimer against a steady clock: tick k falls due at start + k * interval,
// with the event loop's usual lateness learned and taken off the next wait.
#pragma once

#include <QElapsedTimer>
#include <QObject>

class QTimer;

namespace hop::shell {

class SteadyTimer : public QObject {
    Q_OBJECT
public:
    // Takes over `timer`; its interval is the period.
    explicit SteadyTimer(QTimer* timer);

    void start();
    void stop();
    void setInterval(int ms);
    bool isActive() const;
    // How late, on average, a wait of the event loop ends (nanoseconds).
    qint64 learnedLateness() const { return lateness_; }

Q_SIGNALS:
    void tick();

private:
    void scheduleNext();
    void expired();

    QTimer* timer_;
    QElapsedTimer clock_;
    int period_ = 0;
    qint64 start_ = 0;
    qint64 due_ = 0;
    qint64 aimed_ = 0;
    qint64 lateness_ = 0;
    qint64 ticks_ = 0;
};

} // namespace hop::shell
