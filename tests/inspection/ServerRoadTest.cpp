#include "data/ServerAddress.h"
#include "inspection/InspectionWindow.h"
#include "support/ActiveWindow.h"
#include "support/QtPrinters.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"
#include "support/WindowDriver.h"
#include "tank/TankInformationWindow.h"

#include <QBrush>
#include <QComboBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTableView>

#include <memory>

namespace korvane {
namespace {

using Answer = Prompts::Answer;

// A team's road on a database on the test server: a tank typed into Tank Information, an
// inspection with its thickness readings typed into Inspection & Thickness, and both found again
// when the windows are opened anew. The windows are driven as in the tests on files.
class ServerRoadTest : public testing::Test, public test::WindowDriver {
protected:
    void SetUp() override {
        KORVANE_REQUIRE_SERVER();
        db = std::make_unique<test::TestDatabase>(test::Engine::Server);
        ASSERT_TRUE(server::isServerName(db->path()));
        session.DatabaseName = server::normalized(db->path());
        const qint32 gulf = db->addCompany(QStringLiteral("Gulf Plains"));
        location = db->addLocation(gulf, QStringLiteral("Port Arthur"));
    }

    template <class Window> Window& open() {
        auto* w = new Window(session, t.services);
        window.reset(w);
        driven = w;
        test::showActive(*w);
        chooseLocation(0, 0);
        return *w;
    }
    void typeDimension(const char* name, const char* feet) {
        t.prompts.answerInput(QString::fromLatin1(feet)).answerInput(QStringLiteral("0"));
        typeKeys(name, QStringLiteral("%1F").arg(QString::fromLatin1(feet)));
    }
    void enterReading(int coursePosition, const QString& point, const QString& thickness,
                      const char* button) {
        find<QComboBox>("List_Course")->setCurrentIndex(coursePosition);
        typeInto("Text_PointID", point);
        typeInto("Text_Thickness", thickness);
        click(button);
    }
    QVariant field(const char* table, const char* key, const QVariant& value,
                   const char* name) const {
        return db->value(QString::fromLatin1(table), QString::fromLatin1(key), value,
                         QString::fromLatin1(name));
    }
    // Whether the tank's reading of a point is marked red, as below its course's minimum.
    bool markedRed(const QString& point) const {
        auto* readings = find<QTableView>("Grid_TankReadings");
        const int row = static_cast<int>(gridColumn(readings, 1).indexOf(point));
        const QModelIndex cell = readings->model()->index(row, 2);
        return cell.data(Qt::BackgroundRole).value<QBrush>().color() == QColor(255, 0, 0);
    }

    std::unique_ptr<test::TestDatabase> db;
    Session session;
    test::TestServices t;
    std::unique_ptr<QDialog> window;
    qint32 location = 0;
};

TEST_F(ServerRoadTest, ATankAndItsInspectionAreKeptOnTheServer) {
    const QString tankName = QStringLiteral("O'Brien #4");

    // Tank Information: a new tank of eight welded courses, its minimums worked out.
    open<TankInformationWindow>();
    doubleClickRow(find<QTableView>("Grid_Tanks"), 0);
    ASSERT_TRUE(session.RecordMode);
    typeInto("Text_TankID", tankName);
    typeInto("Text_Product", QStringLiteral("Diesel"));
    typeDimension("Text_Diameter", "120");
    typeDimension("Text_Height", "40");
    typeDimension("Text_Level", "40");
    find<QComboBox>("List_MfgType")->setCurrentIndex(1);
    typeInto("Text_Yield", QStringLiteral("30000"));
    typeInto("Text_Tensile", QStringLiteral("55000"));
    typeInto("Text_JointEff", QStringLiteral("1"));
    typeInto("Text_SGravity", QStringLiteral("1.0"));
    t.prompts.answerInput(QStringLiteral("8"))
        .answerMessage(Answer::Yes)
        .answerInput(QStringLiteral("0"));
    bringToFront(find("Cmd_ChangeCourse"));
    click("Cmd_ChangeCourse");
    click("Cmd_OK");
    ASSERT_FALSE(window->isVisible());
    ASSERT_EQ(db->count(QStringLiteral("Tank")), 1);
    const qint32 tank = field("Tank", "Name", tankName, "TankID").toInt();
    EXPECT_EQ(field("Tank", "TankID", tank, "LocationID"), location);
    EXPECT_EQ(field("Tank", "TankID", tank, "Product"), QStringLiteral("Diesel"));
    EXPECT_DOUBLE_EQ(field("Tank", "TankID", tank, "Diameter").toDouble(), 1440.0);
    EXPECT_EQ(field("Tank", "TankID", tank, "Courses").toInt(), 8);
    EXPECT_NEAR(field("Tank", "TankID", tank, "Course1_Min").toDouble(), 0.529, 5e-4);

    // Inspection & Thickness: a new inspection and two readings, one below its course's
    // minimum (0.529 in for course 1), one above (0.463 in for course 2).
    open<InspectionWindow>();
    doubleClickList("List_Tank", 0);
    doubleClickRow(find<QTableView>("Grid_Inspection"), 0);
    ASSERT_TRUE(session.RecordMode);
    typeInto("Text_IDate", QStringLiteral("12/3/24"));
    typeInto("Text_INum", QStringLiteral("O'Neil-24"));
    find<QComboBox>("List_InspType")->setCurrentIndex(3);
    typeInto("Text_IBy", QStringLiteral("J. O'Hara"));
    QTest::keyClicks(find<QPlainTextEdit>("Text_IResults"), QStringLiteral("Shell sound."));
    click("Cmd_AddThickness");
    const qint32 inspection = session.CurInspectionID;
    typeInto("Text_TTakenBy", QStringLiteral("A. Smith"));
    typeInto("Text_TDateTaken", QStringLiteral("13/3/24"));
    enterReading(2, QStringLiteral("C1-N'1"), QStringLiteral("0.500"), "Cmd_Next");
    enterReading(3, QStringLiteral("C2-E"), QStringLiteral("0.600"), "Cmd_Done");
    // The tank's schedule takes the inspection's date in the same transaction.
    t.prompts.answerMessage(Answer::Yes);
    click("Cmd_OK");
    ASSERT_FALSE(window->isVisible());
    EXPECT_TRUE(t.prompts.messages().size() == 2u) // the course question and the schedule's
        << t.prompts.messages().back().text.toStdString();
    EXPECT_EQ(
        t.prompts.messages().back().text,
        QStringLiteral("Make 12/Mar/2024 the last Ultrasonic inspection of %1?").arg(tankName));
    EXPECT_EQ(field("Tank", "TankID", tank, "UTLast"), QStringLiteral("12/Mar/2024"));
    window.reset();

    ASSERT_EQ(db->count(QStringLiteral("Inspection")), 1);
    EXPECT_EQ(field("Inspection", "InspectionID", inspection, "TankID"), tank);
    EXPECT_EQ(field("Inspection", "InspectionID", inspection, "InspectionDate"),
              QStringLiteral("12/Mar/2024"));
    EXPECT_EQ(field("Inspection", "InspectionID", inspection, "InspectedBy"),
              QStringLiteral("J. O'Hara"));
    EXPECT_EQ(field("Inspection", "InspectionID", inspection, "Results"),
              QStringLiteral("Shell sound."));
    ASSERT_EQ(db->count(QStringLiteral("Thickness")), 2);
    EXPECT_EQ(field("Thickness", "PointID", QStringLiteral("C1-N'1"), "InspectionID"), inspection);
    EXPECT_EQ(field("Thickness", "PointID", QStringLiteral("C1-N'1"), "Course").toInt(), 2);
    EXPECT_NEAR(field("Thickness", "PointID", QStringLiteral("C2-E"), "Reading").toDouble(), 0.6,
                1e-6);
    EXPECT_EQ(field("Thickness", "PointID", QStringLiteral("C2-E"), "TakenBy"),
              QStringLiteral("A. Smith"));

    // Opened anew, the windows find both.
    open<TankInformationWindow>();
    EXPECT_EQ(gridColumn(find<QTableView>("Grid_Tanks"), 0),
              (QStringList{QStringLiteral("New Tank for this Location"), tankName}));
    doubleClickRow(find<QTableView>("Grid_Tanks"), 1);
    EXPECT_EQ(text("Text_TankID"), tankName);
    EXPECT_EQ(text("Text_Diameter"), QStringLiteral("120.00"));
    // Nothing was changed: Cancel closes without asking.
    const std::size_t asked = t.prompts.messages().size();
    click("Cmd_Cancel");
    EXPECT_EQ(t.prompts.messages().size(), asked);
    EXPECT_FALSE(window->isVisible());
    window.reset();

    open<InspectionWindow>();
    doubleClickList("List_Tank", 0);
    auto* inspections = find<QTableView>("Grid_Inspection");
    EXPECT_EQ(gridColumn(inspections, 0),
              (QStringList{QStringLiteral("New Inspection"), QStringLiteral("12/Mar/2024")}));
    EXPECT_EQ(gridColumn(inspections, 1).value(1), QStringLiteral("O'Neil-24"));
    doubleClickRow(inspections, 1);
    EXPECT_EQ(session.CurInspectionID, inspection);
    EXPECT_EQ(gridColumn(find<QTableView>("Grid_TankReadings"), 1),
              (QStringList{QStringLiteral("C1-N'1"), QStringLiteral("C2-E")}));
    EXPECT_TRUE(markedRed(QStringLiteral("C1-N'1")));
    EXPECT_FALSE(markedRed(QStringLiteral("C2-E")));
}

} // namespace
} // namespace korvane
