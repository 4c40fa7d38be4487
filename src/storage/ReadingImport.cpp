#include "storage/ReadingImport.h"

#include "common/DateText.h"
#include "data/Database.h"
#include "data/Engine.h"
#include "data/Layout.h"
#include "storage/InspectionRecords.h"

#include <algorithm>

namespace korvane::readingimport {

namespace {

const QString Thickness = QStringLiteral("Thickness");
const QString ChecksField = QStringLiteral("Checks");

// A limit the user set: a positive number, or nothing.
std::optional<double> limit(const QVariant& stored) {
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (!stored.isValid() || stored.isNull() || !ok || !(value > 0))
        return std::nullopt;
    return value;
}

QString csvCell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

} // namespace

Result<readingcheck::Settings> readCheckSettings(const Database& db) {
    readingcheck::Settings settings;
    auto fields = db.engine()->tableFields(QStringLiteral("Preferences"));
    if (!fields)
        return fields.takeError();
    const auto has = [&](const char* name) {
        return std::any_of(fields->begin(), fields->end(), [name](const layout::FieldDef& f) {
            return f.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
        });
    };
    if (!has("GaugeTolerance") || !has("PlausibleRate"))
        return settings;
    auto row = db.exec(QStringLiteral("SELECT \"GaugeTolerance\", \"PlausibleRate\" FROM "
                                      "\"Preferences\" ORDER BY rowid LIMIT 1"));
    if (!row)
        return row.takeError();
    if (row->next()) {
        settings.gaugeTolerance = limit(row->value(0)).value_or(settings.gaugeTolerance);
        settings.plausibleRate = limit(row->value(1)).value_or(settings.plausibleRate);
    }
    return settings;
}

Result<readingcheck::TankFacts> readTankFacts(const QString& databaseName, qint32 tankId) {
    auto inputs = readTankInputs(databaseName, tankId);
    if (!inputs)
        return inputs.takeError();
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto settings = readCheckSettings(*db);
    if (!settings)
        return settings.takeError();
    readingcheck::TankFacts facts;
    facts.courses = inputs->courses.courses;
    facts.minimums = inputs->courses.minimums;
    facts.settings = *settings;
    facts.history = readingcheck::PointHistory(inputs->readings);
    return facts;
}

Status ensureChecksField(Database& db) {
    auto present = hasChecksField(db);
    if (!present)
        return present.takeError();
    if (*present)
        return {};
    return db.addMissingFields(Thickness);
}

Status storeEntries(const QString& databaseName, qint32 inspectionId,
                    const std::vector<const readingcheck::Entry*>& entries) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    if (Status added = ensureChecksField(*db); !added)
        return added;
    const QStringList fields{QStringLiteral("InspectionID"),
                             QStringLiteral("PointID"),
                             QStringLiteral("Course"),
                             QStringLiteral("Reading"),
                             QStringLiteral("DateTaken"),
                             QStringLiteral("TakenBy"),
                             ChecksField};
    std::vector<QVariantList> rows;
    rows.reserve(entries.size());
    QDate lastDate; // a file's readings share a few dates: each is written once
    QString lastDateText;
    for (const readingcheck::Entry* e : entries) {
        if (!e->error.isEmpty() || !e->inches)
            return Error{QStringLiteral("Line %1 cannot be stored: %2")
                             .arg(e->line)
                             .arg(e->error.isEmpty() ? QStringLiteral("no thickness") : e->error)};
        if (!e->date.isValid())
            return Error{QStringLiteral("Line %1 cannot be stored: no date").arg(e->line)};
        // A date is stored as its yyyy-mm-dd text (see fieldvalue::toStored).
        if (e->date != lastDate) {
            lastDate = e->date;
            lastDateText = isoDate(e->date);
        }
        const QString& date = lastDateText;
        const QString checks = readingcheck::flagsText(e->flags);
        rows.push_back({inspectionId, e->pointId, e->course, *e->inches, date,
                        e->takenBy.isEmpty() ? QVariant() : QVariant(e->takenBy),
                        checks.isEmpty() ? QVariant() : QVariant(checks)});
    }
    auto stored = db->insertRows(Thickness, fields, rows);
    if (!stored)
        return stored.takeError();
    return {};
}

QString rejectedCsv(const std::vector<const readingcheck::Entry*>& entries) {
    QString out = QStringLiteral("Line,PointID,Thickness,Unit,Course,Date,TakenBy,Reason\r\n");
    for (const readingcheck::Entry* e : entries) {
        QString reason = e->error;
        if (reason.isEmpty())
            reason =
                readingcheck::reasons(e->flags).replace(QLatin1Char('\n'), QStringLiteral("; "));
        if (reason.isEmpty())
            reason = QStringLiteral("not accepted");
        const QStringList cells{QString::number(e->line),
                                csvCell(e->pointId),
                                csvCell(e->typed),
                                e->enteredUS ? QStringLiteral("in") : QStringLiteral("mm"),
                                csvCell(thickness::courseText(e->course)),
                                e->date.isValid() ? formatDate(e->date) : QString(),
                                csvCell(e->takenBy),
                                csvCell(reason)};
        out += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out;
}

} // namespace korvane::readingimport
