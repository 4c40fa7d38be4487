#pragma once

#include <QDate>

namespace korvane {

// Where the program learns today's date, so that due dates and ages can be worked out against a
// date that tests choose.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

// Today's date from the system.
class SystemClock final : public Clock {
public:
    QDate today() const override;
};

// A date that stays as set.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDate today) : today_(today) {}
    QDate today() const override;
    void setToday(QDate today) { today_ = today; }

private:
    QDate today_;
};

} // namespace korvane
