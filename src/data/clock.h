#pragma once
// The clock every key, date and backup folder is read from; tests replace it with a fixed one.

#include <QDateTime>

namespace lichuan {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime time) : time_(std::move(time)) {}
    QDateTime now() const override { return time_; }
    void set(const QDateTime& time) { time_ = time; }
    void advanceSeconds(qint64 seconds) { time_ = time_.addSecs(seconds); }

private:
    QDateTime time_;
};

} // namespace lichuan
