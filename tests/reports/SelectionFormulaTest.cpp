#include "reports/SelectionFormula.h"

#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace korvane::reports {
namespace {

using test::TestDatabase;

std::string text(const QString& s) {
    return s.toStdString();
}

// Values with their types: 12 bound as a double would still find the row, but a date bound as
// "05/Mar/2020" would not, so the type is part of what is checked.
std::string describe(const QVariantList& values) {
    QStringList parts;
    for (const QVariant& v : values)
        parts << QStringLiteral("%1(%2)").arg(QString::fromLatin1(v.typeName()), v.toString());
    return text(parts.join(QLatin1String(", ")));
}

TEST(SelectionFormula, BecomesABoundCondition) {
    const QString dateField = QStringLiteral(R"("Tank"."ExternalLast")");
    const struct {
        QString formula;
        QString sql;
        QVariantList bindings;
        QStringList tables;
    } cases[] = {
        {"{Tank.TankID} = 12", R"("Tank"."TankID" = ?)", {qint64(12)}, {"Tank"}},
        {"{Tank.LocationID} = 3", R"("Tank"."LocationID" = ?)", {qint64(3)}, {"Tank"}},
        {"{TML.TankID} = 12", R"("TML"."TankID" = ?)", {qint64(12)}, {"TML"}},
        {"{tank.tankid}=12", R"("Tank"."TankID" = ?)", {qint64(12)}, {"Tank"}},
        {"{ tml . pointid } <> 'A-1'", R"("TML"."PointID" <> ?)", {QString("A-1")}, {"TML"}},
        {" \t{Tank.TankID}\n>=\r\n-7 ", R"("Tank"."TankID" >= ?)", {qint64(-7)}, {"Tank"}},
        {"{Tank.Name} = 'O''Brien'", R"("Tank"."Name" = ?)", {QString("O'Brien")}, {"Tank"}},
        {R"({Tank.Name} = "say ""hi"" it's")",
         R"("Tank"."Name" = ?)",
         {QString(R"(say "hi" it's)")},
         {"Tank"}},
        {"{Tank.Name} = ''", R"("Tank"."Name" = ?)", {QString("")}, {"Tank"}},
        {"12 < {Tank.Diameter}", R"(? < "Tank"."Diameter")", {qint64(12)}, {"Tank"}},
        {"{Tank.Diameter} <= 12.5", R"("Tank"."Diameter" <= ?)", {12.5}, {"Tank"}},
        {"{Tank.Diameter} > +1.5E2", R"("Tank"."Diameter" > ?)", {qint64(150)}, {"Tank"}},
        {"{Tank.Diameter} > 2.5e-1", R"("Tank"."Diameter" > ?)", {0.25}, {"Tank"}},
        {"{Tank.Capacity} < 99999999999999999999", R"("Tank"."Capacity" < ?)", {1e20}, {"Tank"}},
        // AND binds tighter than OR, NOT tighter than AND.
        {"{Tank.TankID} = 1 OR {Tank.TankID} = 2 AND {Tank.LocationID} = 3",
         R"(("Tank"."TankID" = ? OR ("Tank"."TankID" = ? AND "Tank"."LocationID" = ?)))",
         {qint64(1), qint64(2), qint64(3)},
         {"Tank"}},
        {"({Tank.TankID} = 1 or {Tank.TankID} = 2) And {Tank.LocationID} = 3",
         R"(("Tank"."TankID" = ? OR "Tank"."TankID" = ?) AND "Tank"."LocationID" = ?)",
         {qint64(1), qint64(2), qint64(3)},
         {"Tank"}},
        {"NOT {Tank.TankID} = 1 AND {Tank.LocationID} = 3",
         R"(NOT ("Tank"."TankID" = ?) AND "Tank"."LocationID" = ?)",
         {qint64(1), qint64(3)},
         {"Tank"}},
        {"not NOT ({Tank.TankID} = 1 AND {Tank.TankID} = 2)",
         R"(NOT (NOT ("Tank"."TankID" = ? AND "Tank"."TankID" = ?)))",
         {qint64(1), qint64(2)},
         {"Tank"}},
        {"NOT ({Tank.TankID} = 1 OR {Tank.TankID} = 2)",
         R"(NOT ("Tank"."TankID" = ? OR "Tank"."TankID" = ?))",
         {qint64(1), qint64(2)},
         {"Tank"}},
        {"{Tank.TankID}=1and({Tank.LocationID}=2)",
         R"("Tank"."TankID" = ? AND "Tank"."LocationID" = ?)",
         {qint64(1), qint64(2)},
         {"Tank"}},
        {"{Tank.TankID} = {TML.TankID} AND {tml.XCoordinate} > 0 AND {TANK.Name} = 'T'",
         R"("Tank"."TankID" = "TML"."TankID" AND "TML"."XCoordinate" > ? AND "Tank"."Name" = ?)",
         {qint64(0), QString("T")},
         {"Tank", "TML"}},
        // Dates are kept as yyyy-mm-dd and compared in that form.
        {"{Tank.ExternalLast} < '05/Mar/2020'",
         dateField + " < ?",
         {QString("2020-03-05")},
         {"Tank"}},
        {R"("5/3/20" >= {tank.externallast})",
         "? >= " + dateField,
         {QString("2020-03-05")},
         {"Tank"}},
        {"{Tank.ExternalLast} = '2020-03-05'",
         dateField + " = ?",
         {QString("2020-03-05")},
         {"Tank"}},
        {"{Tank.ExternalLast} > {Tank.UTLast}", dateField + R"( > "Tank"."UTLast")", {}, {"Tank"}},
        {"   ", "", {}, {}},
        {"", "", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.formula));
        const auto s = parseSelection(c.formula);
        ASSERT_TRUE(s.ok()) << text(s.error());
        EXPECT_EQ(text(s->sql), text(c.sql));
        EXPECT_EQ(describe(s->bindings), describe(c.bindings));
        EXPECT_EQ(s->tables, c.tables);
        EXPECT_EQ(s->isEmpty(), c.sql.isEmpty());
    }
}

TEST(SelectionFormula, RefusesWithTheProblemAndWhereItIs) {
    const struct {
        QString formula;
        QString message;
    } cases[] = {
        {"{Tnk.TankID} = 12", "Unknown table {Tnk.TankID} at character 1."},
        {"{Tank.Diametre} = 12", "Unknown field {Tank.Diametre} at character 1."},
        {"{Tank.TankID} = ", "Expected a value after = at character 15."},
        {"{Tank.TankID} == 12", "Expected a value after = at character 15."},
        {"{Tank.TankID} = AND", "Expected a value after = at character 15."},
        {"12 = 13", "Expected a field after = at character 4."},
        {"{Tank.TankID} 12", "Expected =, <>, <, <=, > or >= after {Tank.TankID} at character 1."},
        {"{Tank.TankID} = {Tank.Name} = 3",
         "Unexpected text after the end of the formula at character 29."},
        {"{Tank.TankID} = 1 2", "Unexpected text after the end of the formula at character 19."},
        {"{Tank.Name} = 'O''Brien", "Unclosed text at character 15."},
        {R"({Tank.Name} = "x' )", "Unclosed text at character 15."},
        {"{Tank.TankID} = 1)", "Unexpected ')' at character 18."},
        {"NOT ()", "Unexpected ')' at character 6."},
        {"({Tank.TankID} = 1", "Unclosed '(' at character 1."},
        {"({Tank.TankID} = 1 2)", "Expected AND, OR or ')' at character 20."},
        {"{Tank.TankID} = 1 AND", "Expected a condition after AND at character 19."},
        {"{Tank.TankID} = 1 or (", "Expected a condition after '(' at character 22."},
        {"not", "Expected a condition after NOT at character 1."},
        {"AND {Tank.TankID} = 1", "Unexpected AND at character 1."},
        {"{Tank.TankID} = 1 OR OR {Tank.TankID} = 2", "Unexpected OR at character 22."},
        {"= 1", "Unexpected = at character 1."},
        {"{Tank.TankID} != 1", "Unexpected character '!' at character 15."},
        {"{Tank.TankID} = 1 \a", "Unexpected character U+0007 at character 19."},
        {"{Tank.TankID} = TRUE", "Unexpected word 'TRUE' at character 17."},
        {"Tank.TankID = 1", "Unexpected word 'Tank' at character 1."},
        {"{Tank.TankID} = 1e999", "Number out of range at character 17."},
        // A point must have digits after it.
        {"{Tank.Diameter} > 12.", "Unexpected character '.' at character 21."},
        {"{Tank.Diameter} > 12.e3", "Unexpected character '.' at character 21."},
        {"{Tank.TankID = 1", "Unclosed field at character 1."},
        {"{Tank.TankID = 1 OR {Tank.TankID} = 2", "Unclosed field at character 1."},
        {"{Tank} = 1", "Expected a field written as {Table.Field} at character 1."},
        {"{Tank.TankID.X} = 1", "Expected a field written as {Table.Field} at character 1."},
        {"{ .TankID} = 1", "Expected a field written as {Table.Field} at character 1."},
        {"{Tank.ExternalLast} = '31/Feb/2020'",
         "Expected a date such as '05/Mar/2001' for {Tank.ExternalLast} at character 23."},
        {"20200305 < {Tank.ExternalLast}",
         "Expected a date such as '05/Mar/2001' for {Tank.ExternalLast} at character 1."},
        // Positions count characters, not UTF-16 units.
        {QString::fromUtf8("{Tank.Name} = '\xF0\x9F\x98\x80' AND {Tnk.X} = 1"),
         "Unknown table {Tnk.X} at character 23."},
        {QStringLiteral("{Tank.TankID} = 1") + QChar(u'\0'),
         "The formula holds a NUL character at character 18."},
        {"(" + QString("(").repeated(12) + "{Tank.TankID} = 1" + QString(")").repeated(13),
         "The formula nests too deeply at character 13."},
        {QString("NOT ").repeated(13) + "{Tank.TankID} = 1",
         "The formula nests too deeply at character 49."},
        {QString("{TML.TankID}=1 OR ").repeated(200) + "{TML.TankID}=1",
         "The formula has more than 200 comparisons at character 3601."},
        {"{Tank.Name} = '" + QString(10000, u'x') + "'",
         "The formula is longer than 10000 characters."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.formula.left(60)));
        const auto s = parseSelection(c.formula);
        ASSERT_FALSE(s.ok()) << text(s->sql);
        EXPECT_EQ(text(s.error()), text(c.message));
    }
}

// The deepest and longest formulas the limits let through still make a condition SQLite can
// parse, with room left for the query a report puts around it.
TEST(SelectionFormula, TheLargestFormulasRun) {
    const QString c = QStringLiteral("{Tank.TankID} = 1");
    const QString orAnd = c + " OR " + c + " AND (";
    const QString cases[] = {
        QString("(").repeated(12) + c + QString(")").repeated(12),
        QString("NOT ").repeated(12) + c,
        orAnd.repeated(12) + c + QString(")").repeated(12),
        (c + " OR NOT (" + c + " AND NOT (").repeated(3) + c + QString("))").repeated(3),
        (c + " AND NOT (").repeated(6) + c + QString(")").repeated(6),
        QString("{TML.TankID}=1 OR ").repeated(199) + "{TML.TankID}=1",
    };
    TestDatabase db;
    const Database open = db.open();
    for (const QString& formula : cases) {
        SCOPED_TRACE(text(formula.left(60)));
        const auto s = parseSelection(formula);
        ASSERT_TRUE(s.ok()) << text(s.error());
        const QString from = '"' + s->tables.join(R"(", ")") + '"';
        const auto q = open.exec(R"(SELECT 1 FROM "Tank" WHERE "TankID" IN (SELECT 1 FROM )" +
                                     from + " WHERE (" + s->sql + R"() AND "TankID" > ?))",
                                 s->bindings + QVariantList{0});
        EXPECT_TRUE(q.ok()) << text(q.ok() ? QString() : q.error());
    }
}

// Every name is quoted as the engine needs it and every value is bound: the two tanks differ
// only in their names' punctuation, and in a date kept as yyyy-mm-dd.
TEST(SelectionFormula, RunsAsABoundQuery) {
    TestDatabase db;
    const qint32 location = db.addLocation(db.addCompany(QStringLiteral("Co")), "Yard");
    const qint32 obrien = db.addTank(location, QStringLiteral("O'Brien #3"));
    const qint32 other =
        db.add(QStringLiteral("Tank"),
               {{"LocationID", location}, {"Name", "OBrien #3"}, {"ExternalLast", "31/Dec/2019"}});
    const Database open = db.open();

    const struct {
        QString formula;
        QList<qint32> tanks;
    } cases[] = {
        {"{Tank.Name} = 'O''Brien #3'", {obrien}},
        {"{tank.name} = \"o'brien #3\"", {obrien}},
        {"NOT {Tank.Name} = 'O''Brien #3'", {other}},
        {"{Tank.ExternalLast} < '1/Jan/2020' AND {Tank.LocationID} = " + QString::number(location),
         {other}},
        {"{Tank.ExternalLast} >= '1/1/20' OR {Tank.TankID} = " + QString::number(obrien), {obrien}},
        {QStringLiteral("{Tank.TankID} = %1 OR {Tank.TankID} = %2 AND {Tank.LocationID} = -1")
             .arg(obrien)
             .arg(other),
         {obrien}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.formula));
        const auto s = parseSelection(c.formula);
        ASSERT_TRUE(s.ok()) << text(s.error());
        auto q =
            open.exec(R"(SELECT "TankID" FROM "Tank" WHERE )" + s->sql + R"( ORDER BY "TankID")",
                      s->bindings);
        ASSERT_TRUE(q.ok()) << text(q.error());
        QList<qint32> found;
        while (q->next())
            found << q->value(0).toInt();
        EXPECT_EQ(found, c.tanks);
    }
}

// The fuzz target's starting inputs, replayed here under the sanitizers of every build. Each
// either parses into a condition the engine accepts over the tables it names, or is refused with
// a message that says where; the good-*.txt ones must parse.
TEST(SelectionFormula, FuzzCorpusParsesOrIsRefused) {
    const QDir corpus(QStringLiteral(KORVANE_FUZZ_CORPUS "/formula"));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 15) << "corpus missing at " << text(corpus.path());

    TestDatabase db;
    const Database open = db.open();
    int good = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(text(name));
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto s = parseSelection(QString::fromUtf8(file.readAll()));
        if (name.startsWith(QLatin1String("good-"))) {
            ++good;
            EXPECT_TRUE(s.ok()) << text(s.error());
        }
        if (!s) {
            EXPECT_TRUE(s.error().endsWith(QLatin1Char('.'))) << text(s.error());
            continue;
        }
        if (s->isEmpty())
            continue;
        QStringList from;
        for (const QString& table : s->tables)
            from << '"' + table + '"';
        EXPECT_EQ(s->sql.count(u'?'), s->bindings.size());
        const auto q =
            open.exec("SELECT 1 FROM " + from.join(", ") + " WHERE " + s->sql, s->bindings);
        EXPECT_TRUE(q.ok()) << text(s->sql) << ": " << text(q.ok() ? QString() : q.error());
    }
    EXPECT_GE(good, 5);
}

} // namespace
} // namespace korvane::reports
