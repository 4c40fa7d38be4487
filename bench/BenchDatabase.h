#pragma once

#include <QString>

namespace korvane::bench {

// The location every benchmark tank stands at, and how many tanks it holds.
inline constexpr int TankCount = 10000;
inline constexpr int LocationID = 7;

// A database in a temporary folder, built once per program: a company, its location
// (LocationID), and TankCount fully described tanks there, every field holding a value, as a
// tank whose records are complete. Every tank has all five inspections scheduled, so the due
// marking has something to work out for each. Ends the program when the database cannot be
// built.
QString benchDatabase();

// Runs a query of the tanks of LocationID (its one parameter) straight through SQLite on the
// benchmark database, opening and closing the database around it as the program does, and
// reads every column of every row. Gives the number of rows, or -1 when the query fails.
long long bareQuery(const char* sql);

// The tank whose inspections hold the readings, and how many there are.
inline constexpr int ReadingsTankID = 3;
inline constexpr int InspectionCount = 100;
inline constexpr int ReadingsPerInspection = 1000;

// A second database, built once per program: a company, a location, the tank ReadingsTankID
// with four courses and their minimums, another tank with inspections of its own, and
// InspectionCount inspections of ReadingsTankID with ReadingsPerInspection thickness readings
// each, every inspection reading the same points again on a later date.
QString readingsDatabase();

// A location (LocationID) of ReportTankCount fully described tanks, each with
// InspectionsPerTank inspections of ReadingsPerReportInspection readings: a large organisation's
// database for reports run on the whole location.
inline constexpr int ReportTankCount = 1000;
inline constexpr int InspectionsPerTank = 10;
inline constexpr int ReadingsPerReportInspection = 100;
QString reportDatabase();

// The whole fleet of a large organisation: FleetTankCount fully described tanks, each with
// FleetInspectionsPerTank inspections of FleetReadingsPerInspection readings (1,000,000 in all)
// and every tenth with a shell settlement survey of 24 points on its last inspection.
inline constexpr int FleetTankCount = 10000;
inline constexpr int FleetInspectionsPerTank = 2;
inline constexpr int FleetReadingsPerInspection = 50;
QString fleetDatabase();

// A tank (ImportTankID) of three courses whose ImportReadingCount points (importPointId) were
// read on 01/Mar/2021 in inspection 1, and a new inspection (ImportInspectionID) to import a
// gauge's day into. Built once per program.
inline constexpr int ImportReadingCount = 10000;
inline constexpr int ImportTankID = 1;
inline constexpr int ImportInspectionID = 2;
QString importDatabase();
QString importPointId(int i);

// Runs a query with one integer parameter straight through SQLite on a database, opening and
// closing it around the query, and reads every column of every row. Gives the number of rows,
// or -1 when the query fails.
long long bareQuery(const QString& database, const char* sql, long long parameter);

// The PostgreSQL server the server benchmarks run on: the URL of its maintenance database, from
// KORVANE_TEST_SERVER (scripts/test-server starts one). Empty when it is not set; the server
// benchmarks are then left out.
QString benchServer();
// True when there is a bench server; otherwise says on stderr that the server benchmarks are
// left out.
bool withBenchServer();

// The rows of benchDatabase() on the bench server, built once per program in a database of its
// own (korvane_bench_<pid>) and analyzed: the URL of that database. The database is dropped when
// the program ends. Ends the program when it cannot be built.
QString serverBenchDatabase();

// Runs a query of the tanks of LocationID (its one parameter, written $1) straight through libpq
// on the server benchmark database, and reads the text of every cell of every row. The
// connection is opened once and kept between runs, as the program keeps its own. Gives the
// number of rows, or -1 when the query fails.
long long bareServerQuery(const char* sql);

} // namespace korvane::bench
