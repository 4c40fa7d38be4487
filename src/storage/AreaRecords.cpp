#include "storage/AreaRecords.h"

#include "common/NumberFormat.h"
#include "common/Units.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"

namespace korvane::areas {

namespace {

QString tableName(AreaTable table) {
    switch (table) {
    case AreaTable::EdgeSettle:
        return QStringLiteral("EdgeSettle");
    case AreaTable::RFCorrosion:
        return QStringLiteral("RFCorrosion");
    case AreaTable::SCorrosion:
        return QStringLiteral("SCorrosion");
    }
    return {};
}

// The shell table keeps its date in DataTaken.
QString dateField(AreaTable table) {
    return table == AreaTable::SCorrosion ? QStringLiteral("DataTaken")
                                          : QStringLiteral("DateTaken");
}

Select rowOf(AreaTable table, qint32 inspectionId, const QString& areaId) {
    return Select::from(tableName(table))
        .where(QStringLiteral("InspectionID"), inspectionId)
        .andWhere(QStringLiteral("AreaID"), areaId);
}

} // namespace

std::array<QString, 3> measureFields(AreaTable table) {
    if (table == AreaTable::EdgeSettle)
        return {QStringLiteral("Radius"), QStringLiteral("Length"), QStringLiteral("BReading")};
    return {QStringLiteral("Width"), QStringLiteral("Length"), QStringLiteral("Reading")};
}

Result<std::optional<AreaRow>> find(const Database& db, AreaTable table, qint32 inspectionId,
                                    const QString& areaId) {
    auto rs = db.openRecordset(rowOf(table, inspectionId, areaId));
    if (!rs)
        return rs.takeError();
    if (rs->eof())
        return std::optional<AreaRow>();
    AreaRow row;
    row.areaId = rs->text(QStringLiteral("AreaID"));
    row.takenBy = rs->text(QStringLiteral("TakenBy"));
    row.date = rs->text(dateField(table));
    const auto fields = measureFields(table);
    for (std::size_t i = 0; i < fields.size(); ++i)
        row.measures[i] = rs->value(fields[i]).toDouble();
    if (table != AreaTable::SCorrosion)
        row.readingType = rs->value(QStringLiteral("ReadingType")).toBool();
    if (table == AreaTable::EdgeSettle)
        row.stressAnalysis = rs->value(QStringLiteral("StressAnalysis")).toBool();
    if (table == AreaTable::SCorrosion)
        row.page = rs->value(QStringLiteral("GraphicType")).toInt();
    return std::optional<AreaRow>(row);
}

Status write(Database& db, AreaTable table, qint32 inspectionId, const AreaRow& area) {
    return db.transaction([&]() -> Status {
        auto rs = db.openRecordset(rowOf(table, inspectionId, area.areaId), true);
        if (!rs)
            return rs.takeError();
        const bool adding = rs->eof();
        Status written = adding ? rs->addNew() : rs->edit();
        const auto set = [&](const QString& field, const QVariant& value) {
            if (written)
                written = rs->setValue(field, value);
        };
        if (adding) {
            set(QStringLiteral("InspectionID"), inspectionId);
            set(QStringLiteral("AreaID"), area.areaId);
        }
        if (table != AreaTable::SCorrosion)
            set(QStringLiteral("ReadingType"), area.readingType);
        if (table == AreaTable::SCorrosion)
            set(QStringLiteral("GraphicType"), area.page);
        set(QStringLiteral("TakenBy"), area.takenBy);
        set(dateField(table), area.date.isEmpty() ? QVariant() : QVariant(area.date));
        const auto fields = measureFields(table);
        for (std::size_t i = 0; i < fields.size(); ++i)
            set(fields[i], area.measures[i]);
        if (table == AreaTable::EdgeSettle)
            set(QStringLiteral("StressAnalysis"), area.stressAnalysis);
        if (written)
            written = rs->update();
        return written;
    });
}

Result<bool> remove(Database& db, AreaTable table, qint32 inspectionId, const QString& areaId) {
    return db.deleteFirstRow(tableName(table),
                             {QStringLiteral("InspectionID"), QStringLiteral("AreaID")},
                             {inspectionId, areaId});
}

LinkedRows<AreaRow>::Access access(AreaTable table) {
    LinkedRows<AreaRow>::Access a;
    a.read = [table](const Database& db, qint32 inspectionId, const QString& areaId) {
        return find(db, table, inspectionId, areaId);
    };
    a.write = [table](Database& db, qint32 inspectionId, const QString& areaId,
                      const std::optional<AreaRow>& area) -> Status {
        if (area)
            return write(db, table, inspectionId, *area);
        auto removed = remove(db, table, inspectionId, areaId);
        if (!removed)
            return removed.takeError();
        return {};
    };
    a.noun = QStringLiteral("Area");
    return a;
}

QString measureText(double inches, bool depth, bool unitsUS) {
    if (unitsUS)
        return formatNumber(inches, depth ? u"#0.000" : u"##0.00");
    return formatNumber(inches * units::MillimetresPerInch, depth ? u"##0.00" : u"###0.0");
}

} // namespace korvane::areas
