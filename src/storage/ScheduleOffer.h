#pragma once

#include "common/Result.h"
#include "engineering/InspectionSchedule.h"

#include <QDate>
#include <QString>

#include <optional>

namespace korvane {

class Database;

// An inspection of a kind the tank's schedule follows (External, Ultrasonic, Internal, Primary
// Seal, Secondary Seal), dated later than the schedule's last one of that kind: the program
// offers to make it the last, so that the next due date follows from it.
struct ScheduleOffer {
    const schedule::InspectionKind* kind = nullptr;
    QDate date;
};

// The entry of the tank's schedule an inspection type (its stored code) renews; null for the
// kinds the schedule does not follow.
const schedule::InspectionKind* scheduledKind(int typeCode);

// What storing an inspection of a type, dated as its date box reads, may renew on the tank's
// schedule: nothing when the schedule does not follow its kind, when the date does not read as
// one, or when the tank's last date of the kind is the same or later. A last date that does not
// read as a date counts as none.
Result<std::optional<ScheduleOffer>> scheduleOffer(const Database& db, qint32 tankId, int typeCode,
                                                   const QString& dateText);

// "Make 14/Sep/2026 the last Ultrasonic inspection of T-101?"
QString scheduleQuestion(const ScheduleOffer& offer, const QString& tankName);

// Writes the inspection's date as the tank's last one of its kind, through db, so that it goes
// in the transaction that stores the inspection. The tank row is claimed while it is written: a
// tank being edited in another window or program is refused with its message.
Status makeLastInspection(const Database& db, qint32 tankId, const ScheduleOffer& offer);

} // namespace korvane
