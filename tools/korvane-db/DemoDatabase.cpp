#include "DemoDatabase.h"

#include "DemoData.h"
#include "common/DateText.h"
#include "data/Database.h"
#include "data/NewDatabase.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "engineering/MinWall.h"

#include <QMap>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace korvane {

namespace {

using namespace demo;

// A fixed-seed generator (SplitMix64) of our own, so that the demo comes out the same with every
// compiler and library.
class Random {
public:
    explicit Random(quint64 seed) : state_(seed) {}
    quint64 next() {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double uniform(double low, double high) {
        return low + (high - low) * static_cast<double>(next() >> 11) * 0x1.0p-53;
    }

private:
    quint64 state_;
};

// A value in [low, high) fixed by key alone, for properties that must agree between the two
// inspections of a tank (how fast one spot of the shell corrodes).
double keyed(quint64 key, double low, double high) {
    return Random(key).uniform(low, high);
}

QString text(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

double thousandths(double inches) {
    return std::round(inches * 1000.0) / 1000.0;
}
double hundredths(double inches) {
    return std::round(inches * 100.0) / 100.0;
}
double sixteenthsUp(double inches) {
    return std::ceil(inches * 16.0 - 1e-9) / 16.0;
}

// One new row of a recordset: fields are set one after the other, the first failure is kept
// and named, and save() writes the row and gives back its counter key.
class Row {
public:
    Row(Recordset& rs, QString what) : rs_(rs), what_(std::move(what)) { status_ = rs_.addNew(); }

    Row& set(const QString& field, const QVariant& value) {
        if (status_)
            status_ = rs_.setValue(field, value);
        return *this;
    }
    Row& set(const char* field, const QVariant& value) { return set(text(field), value); }

    Result<qint32> save(const char* keyField = nullptr) {
        const qint32 key = keyField && status_ ? rs_.value(text(keyField)).toInt() : 0;
        if (status_)
            status_ = rs_.update();
        if (!status_)
            return Error{what_ + QLatin1String(": ") + status_.error()};
        return key;
    }

private:
    Recordset& rs_;
    QString what_;
    Status status_;
};

Row& setAddress(Row& row, const Address& a) {
    return row.set("Contact", text(a.contact))
        .set("Address", text(a.address))
        .set("City", text(a.city))
        .set("State", text(a.state))
        .set("Zip", text(a.zip))
        .set("Phone", text(a.phone))
        .set("Fax", text(a.fax));
}

// The shell of a tank: course heights in inches (bottom first), the minimum thickness of each
// course as the Tank Information window computes it, and the plate it was built with.
struct Shell {
    MinWallInput input;
    std::vector<int> courseHeights;
    std::vector<float> minWall;
    std::vector<double> nominal;
};

// The least plate a new shell of this diameter is built with.
double leastNominalPlate(int diameterFt) {
    if (diameterFt < 50)
        return 0.1875;
    if (diameterFt < 120)
        return 0.25;
    return 0.3125;
}

Result<Shell> designShell(const DemoTank& t, int index) {
    Shell s;
    const int heightIn = t.heightFt * 12;
    const int courses = (heightIn + t.plateIn - 1) / t.plateIn;
    for (int c = 0; c < courses; ++c)
        s.courseHeights.push_back(c + 1 < courses ? t.plateIn : heightIn - c * t.plateIn);

    // Floating roofs keep more freeboard than fixed ones.
    const int freeboardIn = (t.roofType >= 3 ? 36 : 18) + 6 * (index % 3);
    s.input.mfgType = t.mfgType;
    s.input.diameterIn = t.diameterFt * 12;
    s.input.heightIn = heightIn;
    s.input.levelIn = heightIn - freeboardIn;
    s.input.courses = courses;
    s.input.specGravity =
        static_cast<float>(products()[static_cast<std::size_t>(t.product)].specGravity);
    s.input.yieldPsi = t.yieldPsi;
    s.input.tensilePsi = t.tensilePsi;
    s.input.jointEff = t.jointEff;
    if (const auto refusal = checkMinWallInput(s.input); refusal != MinWallRefusal::None)
        return Error{QStringLiteral("Tank %1: %2").arg(text(t.name), refusalText(refusal))};
    s.minWall = calcMinWall(s.input);
    // Plate as built: the minimum with a margin and a sixteenth of corrosion allowance.
    for (float m : s.minWall)
        s.nominal.push_back(sixteenthsUp(
            std::max(static_cast<double>(m) * 1.3 + 0.0625, leastNominalPlate(t.diameterFt))));
    return s;
}

struct PlannedInspection {
    QDate date;
    int type; // 3 External, 5 Internal
};

constexpr int ExternalInspection = 3;
constexpr int InternalInspection = 5;
constexpr const char* Directions[] = {"N", "E", "S", "W"};

class DemoWriter {
public:
    DemoWriter(const Database& db, const QDate& today, const StepWatch& watch)
        : db_(db), today_(today), watch_(watch) {}

    Status write() {
        for (const char* table :
             {"Company", "Location", "Tank", "Inspection", "Thickness", "ShellSurvey"}) {
            auto rs = db_.openRecordset(Select::from(text(table)));
            if (!rs)
                return rs.takeError();
            recordsets_.push_back(std::move(rs.value()));
        }
        std::vector<qint32> companyIds, locationIds;
        for (const Address& c : companies()) {
            Row row(recordset(Company), text(c.name));
            row.set("Company", text(c.name));
            auto id = setAddress(row, c).save("CompanyID");
            if (!id)
                return id.takeError();
            companyIds.push_back(*id);
        }
        for (const DemoLocation& l : locations()) {
            Row row(recordset(Location), text(l.address.name));
            row.set("CompanyID", companyIds[static_cast<std::size_t>(l.company)])
                .set("Location", text(l.address.name));
            auto id = setAddress(row, l.address).save("LocationID");
            if (!id)
                return id.takeError();
            locationIds.push_back(*id);
        }
        const auto all = tanks();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (auto written = writeTank(all[i], static_cast<int>(i),
                                         locationIds[static_cast<std::size_t>(all[i].location)]);
                !written)
                return written;
            if (watch_)
                watch_(QStringLiteral("tank %1").arg(i + 1));
        }
        return {};
    }

private:
    enum Table { Company, Location, Tank, Inspection, Thickness, ShellSurvey };
    Recordset& recordset(Table t) { return recordsets_[static_cast<std::size_t>(t)]; }

    QDate monthsAgo(int months, int days) const {
        return addMonths(today_, -months).addDays(-days);
    }

    Status writeTank(const DemoTank& t, int index, qint32 locationId) {
        auto shell = designShell(t, index);
        if (!shell)
            return shell.takeError();
        const Address& site = locations()[static_cast<std::size_t>(t.location)].address;
        const Manufacturer& maker = manufacturers()[static_cast<std::size_t>(t.manufacturer)];
        const bool riveted = isRivetedShell(t.mfgType);
        const bool floatingRoof = t.roofType >= 3;

        // Nominal capacity of the shell: pi/4 D^2 H cubic feet at 7.48052 gallons each.
        const double gallons =
            std::numbers::pi / 4.0 * t.diameterFt * t.diameterFt * t.heightFt * 7.48052;
        const double capacity = t.gallons ? -std::round(gallons / 100.0) * 100.0
                                          : std::round(gallons / 42.0 / 10.0) * 10.0;

        // Last inspections set back from today. External offsets of 61 months and more leave
        // the five-year external inspection overdue; the others fall due in a later year.
        static constexpr int externalMonths[] = {70, 14, 27, 40, 9, 64, 33, 21, 46, 3, 80, 18};
        static constexpr int internalMonths[] = {98, 30, 132, 61, 150, 12, 115, 80};
        static constexpr int sealMonths[] = {5, 11, 2, 14, 8};
        const QDate externalLast = monthsAgo(externalMonths[index % 12], (index * 7) % 25);
        const QDate internalLast = monthsAgo(internalMonths[index % 8], (index * 11) % 27);
        const QDate sealLast = monthsAgo(sealMonths[index % 5], (index * 5) % 20);
        const QDate tested(t.mfgYear, 3 + index % 8, 5 + (index * 3) % 20);
        // Double and lined bottoms with leak detection may go twenty years between internals.
        const int internalFreq = t.bottomType >= 4 ? 20 : 10;

        Row row(recordset(Tank), text(t.name));
        row.set("LocationID", locationId)
            .set("Name", text(t.name))
            .set("PhysLoc", text(t.physLoc))
            .set("SerialNum", QStringLiteral("%1-%2-%3")
                                  .arg(text(maker.serialPrefix))
                                  .arg(t.mfgYear % 100, 2, 10, QLatin1Char('0'))
                                  .arg(1000 + (index * 373 + 1187) % 9000))
            .set("StateNum", QStringLiteral("%1-%2")
                                 .arg(text(site.state))
                                 .arg(20412 + t.location * 1137 + index * 59))
            .set("Product", text(products()[static_cast<std::size_t>(t.product)].name))
            .set("Manufacturer", text(maker.name))
            .set("MfgYear", QString::number(t.mfgYear))
            .set("MfgCode", riveted ? QStringLiteral("API 12A") : QStringLiteral("API 650"))
            .set("Comments", text(t.comments))
            .set("Capacity", capacity)
            .set("Diameter", shell->input.diameterIn)
            .set("Height", shell->input.heightIn)
            .set("DesignLevel", shell->input.levelIn)
            .set("SpecGravity", products()[static_cast<std::size_t>(t.product)].specGravity)
            .set("Yield", t.yieldPsi)
            .set("Tensile", t.tensilePsi)
            .set("JointEff", t.jointEff)
            .set("Courses", shell->input.courses)
            .set("MfgType", t.mfgType)
            .set("BottomType", t.bottomType)
            .set("RoofType", t.roofType)
            .set("ExternalFreq", 5)
            .set("ExternalLast", externalLast)
            .set("UTFreq", index % 2 == 0 ? 5 : -60)
            .set("UTLast", externalLast)
            .set("InternalFreq", internalFreq)
            .set("InternalLast", internalLast)
            .set("Tested", tested)
            .set("Strapped", tested.addDays(24));
        if (floatingRoof)
            row.set("PriSealFreq", 1)
                .set("PriSealLast", sealLast)
                .set("SecSealFreq", 1)
                .set("SecSealLast", sealLast);
        for (std::size_t c = 0; c < shell->courseHeights.size(); ++c) {
            row.set(QStringLiteral("Course%1_Height").arg(c + 1), shell->courseHeights[c])
                .set(QStringLiteral("Course%1_Min").arg(c + 1), shell->minWall[c]);
        }
        auto tankId = row.save("TankID");
        if (!tankId)
            return tankId.takeError();

        std::vector<PlannedInspection> planned;
        if (t.inspections >= 1)
            planned.push_back({externalLast, ExternalInspection});
        if (t.inspections >= 2)
            planned.push_back({internalLast, InternalInspection});
        std::sort(planned.begin(), planned.end(),
                  [](const auto& a, const auto& b) { return a.date < b.date; });
        for (std::size_t k = 0; k < planned.size(); ++k) {
            const bool latest = k + 1 == planned.size();
            if (auto written =
                    writeInspection(t, index, *tankId, *shell, tested, planned[k], latest);
                !written)
                return written;
        }
        return {};
    }

    const Pit* pitOf(const DemoTank& t) const {
        for (const Pit& p : pits())
            if (std::strcmp(p.tank, t.name) == 0)
                return &p;
        return nullptr;
    }

    Status writeInspection(const DemoTank& t, int index, qint32 tankId, const Shell& shell,
                           const QDate& built, const PlannedInspection& plan, bool latest) {
        const Pit* pit = pitOf(t);
        const QString number =
            QStringLiteral("%1-%2")
                .arg(plan.date.year())
                .arg(++numbersByYear_[plan.date.year()], 3, 10, QLatin1Char('0'));
        const char* inspector =
            inspectors()[static_cast<std::size_t>(inspectionCount_++) % inspectors().size()];
        const bool internal = plan.type == InternalInspection;
        const QString reason =
            internal ? QStringLiteral("Scheduled internal inspection; tank emptied and cleaned.")
                     : QStringLiteral("Scheduled external inspection with ultrasonic shell "
                                      "thickness readings.");
        QString results;
        if (pit && latest)
            results = QStringLiteral("Reading at S%1-%2 is below the minimum required thickness "
                                     "of course %1. Evaluate or repair before the next fill.")
                          .arg(pit->course)
                          .arg(text(pit->direction));
        else if (pit)
            results = QStringLiteral("Localized corrosion at S%1-%2; monitor at the next "
                                     "inspection.")
                          .arg(pit->course)
                          .arg(text(pit->direction));
        else if (internal)
            results = QStringLiteral("Floor and shell readings acceptable. Bottom coating spot "
                                     "repaired; tank returned to service.");
        else
            results = QStringLiteral("All shell readings above the minimum required thickness. "
                                     "Coating in fair condition; light rust at the chime.");

        Row row(recordset(Inspection), QStringLiteral("Inspection %1").arg(number));
        row.set("TankID", tankId)
            .set("InspectionDate", plan.date)
            .set("InspectionNum", number)
            .set("InspectionType", plan.type)
            .set("InspectedBy", text(inspector))
            .set("InspectionReason", reason)
            .set("Results", results);
        auto inspectionId = row.save("InspectionID");
        if (!inspectionId)
            return inspectionId.takeError();

        // The shell wears away from its plate towards its minimum: a share that grows with the
        // years in service, faster at some spots than others, plus the gauge's scatter.
        const double wearNow = keyed(static_cast<quint64>(index) * 7919 + 1, 0.25, 0.7);
        const double served = std::max<qint64>(1, built.daysTo(plan.date));
        const double wear = wearNow * served / std::max<qint64>(1, built.daysTo(today_));
        auto reading = [&](double nominal, double minimum, quint64 spot) {
            const double share = wear * keyed(spot, 0.7, 1.1);
            return thousandths(nominal - (nominal - minimum) * share +
                               random_.uniform(-0.004, 0.004));
        };
        auto add = [&](const QString& point, int course, double value) {
            return Row(recordset(Thickness), QStringLiteral("Reading %1").arg(point))
                .set("InspectionID", *inspectionId)
                .set("PointID", point)
                .set("Course", course)
                .set("Reading", value)
                .set("DateTaken", plan.date)
                .set("TakenBy", text(inspector))
                .save();
        };

        for (int c = 1; c <= shell.input.courses; ++c) {
            const auto ci = static_cast<std::size_t>(c - 1);
            const double minimum = shell.minWall[ci];
            for (int d = 0; d < 4; ++d) {
                const QString point = QStringLiteral("S%1-%2").arg(c).arg(text(Directions[d]));
                double value = reading(shell.nominal[ci], minimum,
                                       static_cast<quint64>(index * 1000 + c * 10 + d));
                if (pit && pit->course == c && std::strcmp(pit->direction, Directions[d]) == 0)
                    value = thousandths(latest ? minimum - 0.012 : minimum + 0.015);
                // Course codes of a reading: 1 floor, 2 .. 11 courses 1 .. 10, 12 roof.
                if (auto saved = add(point, c + 1, value); !saved)
                    return saved.takeError();
            }
        }
        if (internal) {
            static constexpr const char* floorPoints[] = {"F-C", "F-N", "F-E", "F-S", "F-W"};
            for (std::size_t f = 0; f < std::size(floorPoints); ++f) {
                const double value =
                    reading(0.25, 0.1, static_cast<quint64>(index * 1000 + 900 + f));
                if (auto saved = add(text(floorPoints[f]), 1, value); !saved)
                    return saved.takeError();
            }
        }
        if (latest && std::strcmp(t.name, SurveyedTank) == 0)
            return writeSurvey(*inspectionId, number, plan.date);
        return {};
    }

    // Settlement of the shell's bottom edge at twelve stations: a tilt of the whole tank (a
    // cosine round the circumference) with a local dip at station 8 and the level's scatter.
    Status writeSurvey(qint32 inspectionId, const QString& number, const QDate& date) {
        constexpr int points = 12;
        constexpr double mean = 1.20, amplitude = 0.48, phaseDeg = 40.0;
        Row row(recordset(ShellSurvey), QStringLiteral("Shell survey %1").arg(number));
        row.set("InspectionID", inspectionId)
            .set("InspectionNum", number)
            .set("DateTaken", date)
            .set("TakenBy", QStringLiteral("Gulf Coast Survey Co., L. Arceneaux"))
            .set("SurveyPoints", points)
            .set("Comments", QStringLiteral("Elevations of the shell bottom at 12 stations "
                                            "spaced 28.8 ft, station 1 at north, going "
                                            "clockwise. Benchmark BM-3 on the dike wall."));
        for (int i = 1; i <= points; ++i) {
            const double angle = (360.0 * (i - 1) / points - phaseDeg) * std::numbers::pi / 180.0;
            const double dip = i == 8 ? -0.22 : 0.0;
            const double settle =
                mean + amplitude * std::cos(angle) + dip + random_.uniform(-0.05, 0.05);
            row.set(QStringLiteral("Point%1_Settle").arg(i, 2, 10, QLatin1Char('0')),
                    hundredths(settle));
        }
        if (auto saved = row.save(); !saved)
            return saved.takeError();
        return {};
    }

    Database db_;
    QDate today_;
    StepWatch watch_;
    std::vector<Recordset> recordsets_;
    Random random_{20000};
    QMap<int, int> numbersByYear_;
    int inspectionCount_ = 0;
};

} // namespace

Status createDemoDatabase(const QString& path, const QDate& today, const StepWatch& watch) {
    return buildDatabase(
        path, [&](Database& db) { return DemoWriter(db, today, watch).write(); }, watch);
}

} // namespace korvane
