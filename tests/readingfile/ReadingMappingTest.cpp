#include "readingfile/ReadingMapping.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using namespace readingfile;

Table csv(const char* text) {
    auto table = readCsv(QByteArray(text));
    EXPECT_TRUE(table.ok());
    return table.ok() ? *table : Table{};
}

const SessionDefaults session{QDate(2024, 3, 5), QStringLiteral("A. Smith"), 4, QDate(2024, 6, 15)};

// Every row of a file read under one mapping: the point, the inches it stands for, the unit it
// was given in, the course code, the date and who took it, or why it is no reading.
TEST(ReadingMapping, RowsBecomeReadingsOrSayWhyNot) {
    const Table table = csv("Point;Reading;Unit;Course;Date;By\n"
                            "C1-N1;0.250;in;Course 1;05/Mar/2024;R. Diaz\n"  // 2
                            "C1-N2;6,35;mm;C2;2024-03-04;\n"                 // 3
                            "C1-N3;0.248 in;;shell 4;2024-03-04T10:42:00;\n" // 4
                            "F-1;0.25'';;Floor;;\n"                          // 5
                            "R-1;6.35mm;MM;roof;1/3/24;\n"                   // 6
                            "C1-N4;0.25;;;05/Mar/2024;\n"                    // 7
                            ";0.25;ft;Course 5;31/02/2024;\n"                // 8
                            "C1-N5;0.25 mm;in;;16/Jun/2024;\n"               // 9
                            "C1-N6;thin;;;;\n"                               // 10
                            "C1-N7;-0.1;;;;\n"                               // 11
                            "C1-N8;0.25 ft;;;;\n");                          // 12
    Mapping m;
    m.headerRow = true;
    m.point = 0;
    m.thickness = 1;
    m.unit = 2;
    m.course = 3;
    m.date = 4;
    m.takenBy = 5;
    m.fileUnitUS = true;
    const auto rows = mapRows(table, m, session);
    const struct {
        int line;
        const char* point;
        double inches; // 0: none
        bool us;
        int course;
        const char* date;
        const char* by;
        const char* error;
    } expected[] = {
        {2, "C1-N1", 0.25, true, 2, "2024-03-05", "R. Diaz", ""},
        {3, "C1-N2", 6.35 / 25.399986, false, 3, "2024-03-04", "", "no taken-by"},
        {4, "C1-N3", 0.248, true, 5, "2024-03-04", "", "no taken-by"},
        {5, "F-1", 0.25, true, 1, "", "", "no date; no taken-by"},
        {6, "R-1", 6.35 / 25.399986, false, 12, "2024-03-01", "", "no taken-by"},
        {7, "C1-N4", 0.25, true, 0, "2024-03-05", "", "no taken-by"},
        {8, "", 0, true, 0, "", "",
         "no point ID; unit \"ft\" not known; course \"Course 5\" is not one of the tank's; date "
         "\"31/02/2024\" not understood; no taken-by"},
        {9, "C1-N5", 0, false, 0, "2024-06-16", "",
         "two units given; date 16/Jun/2024 is beyond today; no taken-by"},
        {10, "C1-N6", 0, true, 0, "", "",
         "thickness \"thin\" is not a number above 0; no date; no taken-by"},
        {11, "C1-N7", 0, true, 0, "", "",
         "thickness \"-0.1\" is not a number above 0; no date; no taken-by"},
        {12, "C1-N8", 0, true, 0, "", "",
         "thickness \"0.25 ft\" has a unit not known; no date; no taken-by"},
    };
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        const auto& e = expected[i];
        SCOPED_TRACE(e.line);
        EXPECT_EQ(r.line, e.line);
        EXPECT_EQ(r.pointId, QString::fromLatin1(e.point));
        if (e.inches > 0) {
            EXPECT_NEAR(r.inches.value_or(0), e.inches, 1e-9);
        } else {
            EXPECT_FALSE(r.inches);
        }
        EXPECT_EQ(r.enteredUS, e.us);
        EXPECT_EQ(r.course, e.course);
        EXPECT_EQ(r.date.toString(Qt::ISODate), QString::fromLatin1(e.date));
        EXPECT_EQ(r.takenBy, QString::fromLatin1(e.by));
        EXPECT_EQ(r.error, QString::fromLatin1(e.error));
    }
}

// What no column gives comes from the session: its date, who took the readings, one unit.
TEST(ReadingMapping, TheSessionFillsWhatNoColumnGives) {
    const Table table = csv("C1-N1,6.35\nC1-N2,6.30\n");
    Mapping m = guessMapping(table);
    EXPECT_FALSE(m.headerRow);
    EXPECT_EQ(m.point, 0);
    EXPECT_EQ(m.thickness, 1);
    EXPECT_EQ(m.course, NoColumn);
    m.fileUnitUS = false;
    const auto rows = mapRows(table, m, session);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].date, session.date);
    EXPECT_EQ(rows[1].takenBy, QStringLiteral("A. Smith"));
    EXPECT_FALSE(rows[1].enteredUS);
    EXPECT_NEAR(*rows[1].inches, 6.30 / 25.399986, 1e-12);
    EXPECT_EQ(rows[1].error, QString());
    // Commas part the cells here, so "6,35" in a comma file would be two cells, never 6.35.
}

TEST(ReadingMapping, GuessesFromTitlesAndRemembersByLayout) {
    const Table titled = csv("Inspector,Date,TML ID,Thk (in),Component\nJ,1/1/24,A,0.25,C1\n");
    const Mapping m = guessMapping(titled);
    EXPECT_TRUE(m.headerRow);
    EXPECT_EQ(m.takenBy, 0);
    EXPECT_EQ(m.date, 1);
    EXPECT_EQ(m.point, 2);
    EXPECT_EQ(m.thickness, 3);
    EXPECT_EQ(m.course, 4);
    EXPECT_EQ(m.unit, NoColumn);

    // The same titles in another case are the same layout; without titles the column count
    // and delimiter are.
    EXPECT_EQ(layoutKey(titled, true),
              layoutKey(csv("INSPECTOR,date,tml id,THK (IN),component\n"), true));
    EXPECT_NE(layoutKey(titled, true), layoutKey(csv("Inspector,Date,TML ID\n"), true));
    EXPECT_EQ(layoutKey(csv("A;1\n"), false), QStringLiteral("columns:2:59"));

    Mapping other = m;
    other.unit = 7;
    other.fileUnitUS = false;
    const auto back = Mapping::fromText(other.toText());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->toText(), other.toText());
    EXPECT_EQ(back->unit, 7);
    EXPECT_FALSE(back->fileUnitUS);
    for (const char* bad : {"", "header=1",
                            "header=1;point=x;thickness=1;unit=-1;course=-1;"
                            "date=-1;takenby=-1;fileunit=in",
                            "header=1;point=0;thickness=1;unit=-1;course=-1;date=-1;"
                            "takenby=-1;fileunit=ft"})
        EXPECT_FALSE(Mapping::fromText(QString::fromLatin1(bad))) << bad;
}

TEST(ReadingMapping, UnitsAndCoursesAsFilesNameThem) {
    for (const char* us : {"in", "IN", "inch", "Inches", "in.", "''", "\""})
        EXPECT_EQ(unitIsUS(QString::fromLatin1(us)), true) << us;
    for (const char* mm : {"mm", "MM", "millimetres", "millimeter"})
        EXPECT_EQ(unitIsUS(QString::fromLatin1(mm)), false) << mm;
    for (const char* neither : {"", "ft", "cm", "m"})
        EXPECT_FALSE(unitIsUS(QString::fromLatin1(neither))) << neither;

    const struct {
        const char* text;
        int code;
    } courses[] = {{"Floor", 1},    {"bottom", 1},  {"Roof", 12}, {"Course 1", 2},
                   {"C4", 5},       {"shell 2", 3}, {"3", 4},     {"C-3", 4},
                   {"Course 5", 0}, {"0", 0},       {"Wall", 0},  {"", 0}};
    for (const auto& c : courses)
        EXPECT_EQ(courseCode(QString::fromLatin1(c.text), 4), c.code) << c.text;
}

} // namespace
} // namespace korvane
