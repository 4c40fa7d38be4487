#include "common/DateText.h"
#include "common/Rounding.h"
#include "common/TextValue.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "due/DueRecords.h"
#include "engineering/UnitEntry.h"
#include "storage/AssessmentRecords.h"
#include "storage/InspectionRecords.h"
#include "storage/ShellSurveyRecords.h"
#include "support/DueDemo.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvane {
namespace {

using due::Mark;

const QDate Today(2024, 6, 15);

TEST(DueList, MarksADueDateByTodayAndTheHorizon) {
    const struct {
        QDate next;
        int horizon;
        Mark mark;
    } cases[] = {
        {Today.addDays(-1), 90, Mark::Red},   {Today, 90, Mark::Amber},
        {Today.addDays(90), 90, Mark::Amber}, {Today.addDays(91), 90, Mark::None},
        {Today.addDays(1), 0, Mark::None},    {Today, 0, Mark::Amber},
        {Today.addDays(5), -3, Mark::None},   {QDate(), 90, Mark::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(due::dueMark(c.next, Today, c.horizon), c.mark)
            << c.next.toString(Qt::ISODate).toStdString() << " within " << c.horizon;
}

due::TankRow row(const char* tank, int overdue, int soon, int below, int lifeShort, int beyond = 0,
                 bool poorFit = false) {
    due::TankRow r;
    r.tank = QString::fromLatin1(tank);
    r.company = QStringLiteral("Co");
    for (int k = 0; k < overdue; ++k)
        r.schedule[static_cast<std::size_t>(k)] = {5, Today.addYears(-6), Today.addYears(-1),
                                                   Mark::Red};
    for (int k = overdue; k < overdue + soon; ++k)
        r.schedule[static_cast<std::size_t>(k)] = {1, Today.addYears(-1), Today.addDays(10 + k),
                                                   Mark::Amber};
    r.belowMinimum = below;
    r.lifeShort = lifeShort;
    r.survey.taken = beyond > 0 || poorFit;
    r.survey.analysed = r.survey.taken;
    r.survey.beyond = beyond;
    r.survey.poorFit = poorFit;
    r.survey.rSquared = poorFit ? 0.8123 : 0.99;
    return r;
}

// Red marks count before amber ones, and each kind of concern counts once; then the earliest
// date, then names.
TEST(DueList, PutsTheWorstFirstAndSaysWhy) {
    std::vector<due::TankRow> rows{row("quiet", 0, 0, 0, 0),     row("soon", 0, 1, 0, 0),
                                   row("thin", 0, 0, 3, 0),      row("late2", 2, 0, 0, 0),
                                   row("survey", 0, 0, 0, 0, 2), row("fit", 0, 0, 0, 0, 0, true),
                                   row("short", 0, 0, 0, 1),     row("all", 1, 1, 1, 1, 1, true)};
    due::sortWorstFirst(rows);
    QStringList order;
    for (const auto& r : rows)
        order << r.tank;
    EXPECT_EQ(order.join(u' '), QStringLiteral("all late2 survey thin soon fit short quiet"));

    EXPECT_EQ(rows[0].reasons(),
              QStringLiteral("External overdue since 15/Jun/2023; Internal due 26/Jun/2024; "
                             "1 point below minimum; 1 point short of life before the next UT; "
                             "shell survey: 1 point beyond allowance; shell survey: R² 0.812 "
                             "below 0.90"));
    EXPECT_EQ(due::surveyText(rows[0].survey),
              QStringLiteral("1 point beyond allowance; R² 0.812 below 0.90"));
    EXPECT_EQ(due::surveyText(rows[2].survey), QStringLiteral("2 points beyond allowance"));
    EXPECT_EQ(rows.back().reasons(), QString());
    EXPECT_FALSE(rows.back().needsAttention());
    due::Survey notAnalysed;
    notAnalysed.taken = true;
    notAnalysed.missing = QStringLiteral("yield strength");
    EXPECT_EQ(due::surveyText(notAnalysed), QStringLiteral("Not analysed: yield strength"));
    EXPECT_EQ(due::surveyText(due::Survey{}), QString());
}

// What each tank's own windows work out, each the way the window does it.
struct OwnFigures {
    QString company, location, tank, product;       // the selection chain and General Info
    std::array<QDate, schedule::Kinds.size()> next; // General Info's next-date boxes
    assessment::TankAssessment assessed;            // Corrosion Assessment
    std::optional<settlement::Analysis> survey;     // Shell Survey of its latest survey
    QDate lastInspection;                           // Insp. Select's latest inspection
};

OwnFigures ownFigures(const QString& path, qint32 tankId) {
    OwnFigures own;
    auto db = Database::open(path);
    EXPECT_TRUE(db);
    auto rs = db->openRecordset(
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tankId));
    EXPECT_TRUE(rs);
    own.tank = rs->text(QStringLiteral("Name"));
    own.product = rs->text(QStringLiteral("Product"));
    auto place = db->openRecordset(
        Select::from(QStringLiteral("Location"))
            .where(QStringLiteral("LocationID"), rs->value(QStringLiteral("LocationID"))));
    EXPECT_TRUE(place);
    own.location = place->text(QStringLiteral("Location"));
    auto company = db->openRecordset(
        Select::from(QStringLiteral("Company"))
            .where(QStringLiteral("CompanyID"), place->value(QStringLiteral("CompanyID"))));
    EXPECT_TRUE(company);
    own.company = company->text(QStringLiteral("Company"));
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
        const QString freqField = QString::fromLatin1(schedule::Kinds[k].freqField);
        if (rs->isNull(freqField))
            continue;
        // The box shows the stored frequency with its unit; the next date is worked out from
        // the box's number and unit and the last date's text.
        const unitentry::Shown shown = unitentry::frequencyShown(rs->value(freqField).toDouble());
        const auto n = toInt16(numericValue(shown.text));
        const auto last = parseDate(rs->text(QString::fromLatin1(schedule::Kinds[k].lastField)));
        if (n && last && shown.text.size() > 0 && rs->value(freqField).toDouble() != 0)
            own.next[k] = schedule::nextDate(*last, *n, shown.marker == unitentry::PositiveUnit);
    }
    auto assessed = assessment::readAssessment(path, tankId);
    EXPECT_TRUE(assessed);
    own.assessed = *assessed;

    auto inspections = readInspections(path, tankId);
    EXPECT_TRUE(inspections);
    std::optional<std::pair<QDate, qint32>> latestSurvey;
    for (const InspectionListRow& i : *inspections) {
        const QDate date = parseDate(i.date).value_or(QDate());
        if (date.isValid() && (!own.lastInspection.isValid() || date > own.lastInspection))
            own.lastInspection = date;
        auto survey = readShellSurvey(path, i.inspectionId);
        EXPECT_TRUE(survey);
        if (survey->has_value() &&
            (!latestSurvey || std::pair(date, i.inspectionId) > *latestSurvey))
            latestSurvey = std::pair(date, i.inspectionId);
    }
    if (latestSurvey) {
        auto survey = readShellSurvey(path, latestSurvey->second);
        auto tank = readSurveyTank(path, tankId);
        EXPECT_TRUE(tank);
        own.survey = settlement::analyse((*survey)->readingsIn, *tank);
    }
    return own;
}

class DueDemo : public testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath(QStringLiteral("demo.mdb"));
        test::writeDueDemo(path, Today);
    }

    test::TempDir dir;
    QString path;
};

TEST_F(DueDemo, EveryRowEqualsWhatTheTanksOwnWindowsShow) {
    due::Options options;
    options.today = Today;
    const auto rows = due::readDueList(path, options);
    ASSERT_TRUE(rows) << rows.error().toStdString();
    auto db = Database::open(path);
    ASSERT_TRUE(db);
    ASSERT_EQ(static_cast<qint64>(rows->size()), *db->recordCount(QStringLiteral("Tank")));

    int overdue = 0, soon = 0, below = 0, lifeShort = 0, beyond = 0;
    for (const due::TankRow& row : *rows) {
        SCOPED_TRACE(row.tank.toStdString());
        const OwnFigures own = ownFigures(path, row.tankId);
        EXPECT_EQ(QStringList({row.company, row.location, row.tank, row.product}),
                  QStringList({own.company, own.location, own.tank, own.product}));
        for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
            EXPECT_EQ(row.schedule[k].next, own.next[k]) << schedule::Kinds[k].label;
            EXPECT_EQ(row.schedule[k].mark, due::dueMark(own.next[k], Today, 90));
            overdue += row.schedule[k].mark == Mark::Red ? 1 : 0;
            soon += row.schedule[k].mark == Mark::Amber && k == 0 ? 1 : 0;
        }
        EXPECT_EQ(row.pointCount, static_cast<int>(own.assessed.points.size()));
        EXPECT_EQ(row.shortestLife, own.assessed.shortestLife);
        EXPECT_EQ(row.governingPoint, own.assessed.governingPoint);
        const auto count = [&](assessment::PointStatus status) {
            return static_cast<int>(
                std::count_if(own.assessed.points.begin(), own.assessed.points.end(),
                              [&](const auto& p) { return p.status == status; }));
        };
        EXPECT_EQ(row.belowMinimum, count(assessment::PointStatus::BelowMinimum));
        EXPECT_EQ(row.lifeShort, count(assessment::PointStatus::LifeShorterThanUt));
        EXPECT_EQ(row.survey.taken, own.survey.has_value());
        if (own.survey) {
            EXPECT_EQ(row.survey.analysed, own.survey->analysed);
            EXPECT_EQ(row.survey.rSquared, own.survey->rSquared);
            int notAllowed = 0;
            for (std::size_t i = 0; i + 1 < own.survey->rows.size(); ++i)
                notAllowed += own.survey->rows[i].allowed ? 0 : 1;
            EXPECT_EQ(row.survey.beyond, notAllowed);
        }
        EXPECT_EQ(row.lastInspection, own.lastInspection);
        below += row.belowMinimum > 0 ? 1 : 0;
        lifeShort += row.lifeShort > 0 ? 1 : 0;
        beyond += row.survey.beyond > 0 ? 1 : 0;
    }
    // The demo as changed holds every kind of concern.
    EXPECT_GT(overdue, 0);
    EXPECT_GT(soon, 0);
    EXPECT_GT(below, 0);
    EXPECT_GT(lifeShort, 0);
    EXPECT_GT(beyond, 0);
    // The worst first, the quiet last.
    EXPECT_TRUE(rows->front().worst() == Mark::Red);
    EXPECT_FALSE(rows->back().needsAttention());
}

// A wider horizon takes in more due dates; none at all marks only what is overdue.
TEST_F(DueDemo, TheHorizonDecidesWhatIsDueSoon) {
    const auto amber = [&](int days) {
        due::Options options{Today, days};
        const auto rows = due::readDueList(path, options);
        EXPECT_TRUE(rows);
        int n = 0;
        for (const auto& row : *rows)
            for (const auto& s : row.schedule)
                n += s.mark == Mark::Amber ? 1 : 0;
        return n;
    };
    EXPECT_EQ(amber(0), 0);
    EXPECT_GE(amber(30), 1);
    EXPECT_GT(amber(3650), amber(90));
}

} // namespace
} // namespace korvane
