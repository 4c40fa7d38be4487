// korvane-db: makes Korvane databases from the command line, and reads them back.
//
//   korvane-db create FILE.mdb|URL          an empty database, in a file or on a PostgreSQL
//                                           server (postgresql://user@host/database)
//   korvane-db copy FROM TO                 a new database (file or server) with every table,
//                                           row and key of another
//   korvane-db demo FILE.mdb                a database filled with demo records
//   korvane-db report FILE.mdb REPORT.rpt FORMULA OUT.pdf [--force]
//                                           a stored report, or a report file by path,
//                                           written to a PDF file
//   korvane-db survey FILE.mdb INSPECTION [--output OUT.csv [--force]]
//                                           the settlement analysis of an inspection's shell
//                                           survey, as CSV for a spreadsheet
//   korvane-db assess FILE.mdb TANK [--output OUT.csv [--force]]
//                                           the corrosion assessment of a tank's thickness
//                                           readings, as CSV for a spreadsheet
//   korvane-db history FILE.mdb TANK [--output OUT.csv [--force]]
//                                           every recorded change to a tank and its records,
//                                           as the History window exports it
//   korvane-db due FILE.mdb [--within DAYS] [--csv OUT.csv|--xlsx OUT.xlsx [--force]]
//                                           every tank of the database with its next due
//                                           inspections, corrosion and last shell survey, worst
//                                           first, as CSV or an Excel workbook; exit status 3
//                                           when a tank needs attention
//   korvane-db import-readings FILE.mdb INSPECTION READINGS.csv [--unit in|mm]
//                                           a thickness gauge's file (CSV or .xlsx) stored as
//                                           readings of an inspection, its columns told by
//                                           their titles or cells; every row is checked first,
//                                           and nothing is stored when any row cannot be stored
//                                           or fails a red check (the rows are listed)
//   korvane-db import OLD.mdb NEW.mdb [--accept-loss]
//                                           a new database with the records of an old Access
//                                           database, and a list of what it holds that has no
//                                           place in ours; a file of which not every record
//                                           can be read is imported only with --accept-loss
//
// Wherever a FILE.mdb is read, a server URL may stand instead. The CSV goes to the standard output,
// or to OUT.csv with --output (-o). No command writes over a file it reads, however it is named,
// nor over a file that is not its own kind of output (a PDF, the same CSV) without --force; a new
// database is never written over anything.
//
// For the tests, KORVANE_DB_TEST_STOP_AT names a step of writing a new database ("tables",
// "table Tank", "tank 5", "written") at which the program kills itself, as a kill or a power cut
// would stop it half way.
//
// The Access file is read by the helper korvane-mdb-reader in a child process, stopped after 60
// seconds (KORVANE_IMPORT_TIME_LIMIT sets another limit, for the tests).
//
// Exit status: 0 done, 1 the database could not be written or read, or holds nothing to analyse
// or no such tank, or nothing to import, or records that could not be read, or readings that
// failed their checks (the message says why), 2 the command line was not understood, 3 (due only)
// the list was written and a tank needs attention: an inspection overdue or due within the days
// asked for, a point below its minimum or short of life, or a shell survey beyond its allowance or
// poorly fitted.
#include "DemoDatabase.h"
#include "access/AccessImport.h"
#include "common/Clock.h"
#include "data/Database.h"
#include "data/DatabaseCheck.h"
#include "data/DatabaseCopy.h"
#include "data/History.h"
#include "data/NewDatabase.h"
#include "data/OutputGuard.h"
#include "data/PreferencesRow.h"
#include "data/ServerAddress.h"
#include "due/DueRecords.h"
#include "engineering/ShellSettlement.h"
#include "readingfile/ReadingMapping.h"
#include "reports/ReportEngine.h"
#include "spreadsheet/Sheet.h"
#include "storage/AssessmentRecords.h"
#include "storage/HistoryView.h"
#include "storage/ReadingImport.h"
#include "storage/ShellSurveyRecords.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

namespace {

constexpr int Failed = 1;
constexpr int BadUsage = 2;
constexpr int NeedsAttention = 3;

int usage(const QString& problem) {
    if (!problem.isEmpty())
        std::fprintf(stderr, "korvane-db: %s\n", qPrintable(problem));
    std::fputs("usage: korvane-db create FILE.mdb   write an empty Korvane database\n"
               "       korvane-db create postgresql://USER@HOST/DATABASE\n"
               "                                    make the Korvane tables in a server\n"
               "                                    database (made first when it is missing)\n"
               "       korvane-db copy FROM TO      copy a database, file or server, into a\n"
               "                                    new one: every table, row and key, or\n"
               "                                    nothing when a row cannot be written\n"
               "       korvane-db demo FILE.mdb     write a database of demo records\n"
               "       korvane-db report FILE.mdb REPORT.rpt FORMULA OUT.pdf [--force]\n"
               "                                    write a report to a PDF file, for the\n"
               "                                    rows the selection formula chooses, such\n"
               "                                    as \"{Tank.LocationID} = 3\"; REPORT.rpt\n"
               "                                    is a stored report's name or a file's\n"
               "                                    path (with a folder: ./my.rpt)\n"
               "       korvane-db survey FILE.mdb INSPECTION-ID [--output OUT.csv] [--force]\n"
               "                                    print the settlement analysis of the\n"
               "                                    inspection's shell survey as CSV\n"
               "       korvane-db assess FILE.mdb TANK-ID [--output OUT.csv] [--force]\n"
               "                                    print the corrosion assessment of the\n"
               "                                    tank's thickness readings as CSV\n"
               "       korvane-db history FILE.mdb TANK-ID [--output OUT.csv] [--force]\n"
               "                                    print every recorded change to the tank,\n"
               "                                    its inspections, readings and drawings as\n"
               "                                    CSV, newest first\n"
               "       korvane-db due FILE.mdb [--within DAYS] [--csv OUT.csv|--xlsx OUT.xlsx]\n"
               "                                    [--force]\n"
               "                                    print every tank with its next due\n"
               "                                    inspections (due within DAYS, 90 unless\n"
               "                                    given), corrosion and last shell survey,\n"
               "                                    worst first, as CSV or write it to a file;\n"
               "                                    exit status 3 when a tank needs attention\n"
               "       korvane-db import-readings FILE.mdb INSPECTION-ID READINGS.csv\n"
               "                  [--unit in|mm]    store a gauge's file (CSV or .xlsx) as\n"
               "                                    readings of the inspection; rows without a\n"
               "                                    unit are in --unit (inches if not given);\n"
               "                                    nothing is stored when a row fails a check\n"
               "       korvane-db import OLD.mdb NEW.mdb [--accept-loss]\n"
               "                                    write a new database with the records of\n"
               "                                    an old Access database; with --accept-loss\n"
               "                                    also when some records cannot be read\n"
               "Any FILE.mdb read may also be a server URL. A new database never replaces an\n"
               "existing file, or a server database that holds Korvane tables, and appears\n"
               "only complete. No command writes over a file it reads; --force lets a PDF or\n"
               "CSV or workbook replace a file that is not one of the same kind.\n",
               stderr);
    return BadUsage;
}

int fail(const QString& message) {
    std::fprintf(stderr, "korvane-db: %s\n", qPrintable(message));
    return Failed;
}

int report(const korvane::Status& status, const QString& done) {
    if (!status)
        return fail(status.error());
    std::printf("%s\n", qPrintable(done));
    return 0;
}

// Where a command's output goes: the standard output, or a file, which --force lets replace a
// file of another kind.
struct Output {
    QString file;
    bool force = false;
    bool xlsx = false; // the file is an Excel workbook (due --xlsx)
};

// For the tests: the step of writing a new database at which to die, from KORVANE_DB_TEST_STOP_AT.
korvane::StepWatch testStop() {
    const QString at = qEnvironmentVariable("KORVANE_DB_TEST_STOP_AT");
    if (at.isEmpty())
        return {};
    return [at](const QString& step) {
        if (step != at)
            return;
        std::fflush(nullptr);
        std::raise(SIGKILL);
    };
}

// A command's CSV, on the standard output or written whole to its output file when the guard lets
// it: never over the database, nor over a file that is not the same kind of CSV without --force.
int writeCsv(const QString& csv, const Output& out, const QString& database,
             const QString& kindName) {
    using namespace korvane;
    if (out.file.isEmpty()) {
        std::fputs(csv.toUtf8().constData(), stdout);
        return 0;
    }
    const QString header = csv.section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('\r'));
    if (Status allowed = checkOutputFile(out.file, {{database, QStringLiteral("the database")}},
                                         csvOutput(kindName, header), out.force);
        !allowed)
        return fail(allowed.error());
    QSaveFile file(out.file);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.toUtf8()) < 0 || !file.commit())
        return fail(QStringLiteral("%1 cannot be written: %2").arg(out.file, file.errorString()));
    std::printf("Wrote %s.\n", qPrintable(out.file));
    return 0;
}

// Full precision that reads back to the same number.
QString csvNumber(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A database the survey, assess and history commands read: checked for damage as a file the
// user chooses is, and one of ours, before anything is printed.
korvane::Status checkReadable(const QString& path) {
    auto kind = korvane::checkDatabaseFile(path);
    if (!kind)
        return kind.takeError();
    if (*kind != korvane::DatabaseFileKind::Korvane)
        return korvane::Error{QStringLiteral("%1 is not a Korvane database.").arg(path)};
    return {};
}

// The analysis of the survey as the grid shows it, a row per point and the closing row, then the
// fit and the allowance as name and value.
int printSurvey(const QString& path, qint32 inspectionId, const Output& out) {
    using namespace korvane;
    if (const Status readable = checkReadable(path); !readable)
        return fail(readable.error());
    const auto tankId = readInspectionTankId(path, inspectionId);
    if (!tankId)
        return fail(tankId.error());
    if (!tankId->has_value())
        return fail(QStringLiteral("%1 holds no inspection %2.").arg(path).arg(inspectionId));
    const auto survey = readShellSurvey(path, inspectionId);
    if (!survey)
        return fail(survey.error());
    if (!survey->has_value())
        return fail(
            QStringLiteral("Inspection %1 has no shell settlement survey.").arg(inspectionId));
    if (const int points = (*survey)->points; points < 1 || points > settlement::MaximumPoints)
        return fail(QStringLiteral("The survey of inspection %1 has %2 points; a survey has 1 to "
                                   "%3.")
                        .arg(inspectionId)
                        .arg(points)
                        .arg(settlement::MaximumPoints));
    const auto tank = readSurveyTank(path, **tankId);
    if (!tank)
        return fail(tank.error());
    const settlement::Analysis analysis = settlement::analyse((*survey)->readingsIn, *tank);
    if (!analysis.analysed)
        return fail(analysis.missing);

    QString csv = QStringLiteral("Point,Angle,Actual,Optimum,OutOfPlane,Deflection,Allowed\n");
    for (const settlement::SurveyRow& row : analysis.rows)
        csv += QStringLiteral("%1,%2,%3,%4,%5,%6,%7\n")
                   .arg(row.point)
                   .arg(csvNumber(row.angle), csvNumber(row.actual), csvNumber(row.optimum),
                        csvNumber(row.outOfPlane), csvNumber(row.deflection),
                        row.allowed ? QStringLiteral("Yes") : QStringLiteral("No"));
    csv += QStringLiteral("\nName,Value\n");
    const std::pair<const char*, double> values[] = {
        {"A", analysis.mean},
        {"B", analysis.amplitude},
        {"Phase", analysis.phaseDeg},
        {"R2", analysis.rSquared},
        {"Allowance", analysis.allowanceIn},
    };
    for (const auto& [name, value] : values)
        csv += QString::fromLatin1(name) + QLatin1Char(',') + csvNumber(value) + QLatin1Char('\n');
    return writeCsv(csv, out, path, QStringLiteral("the CSV of a survey's analysis"));
}

// Whether the database holds a tank.
korvane::Result<bool> holdsTank(const korvane::Database& db, qint32 tankId) {
    auto found = db.exec(QStringLiteral("SELECT 1 FROM \"Tank\" WHERE \"TankID\" = ?"), {tankId});
    if (!found)
        return found.takeError();
    return found->next();
}

// The corrosion assessment of a tank, a row per measurement location.
int printAssessment(const QString& path, qint32 tankId, const Output& out) {
    using namespace korvane;
    if (const Status readable = checkReadable(path); !readable)
        return fail(readable.error());
    {
        auto db = Database::open(path);
        if (!db)
            return fail(db.error());
        auto found = holdsTank(*db, tankId);
        if (!found)
            return fail(found.error());
        if (!*found)
            return fail(QStringLiteral("%1 holds no tank %2.").arg(path).arg(tankId));
    }
    const auto assessed = assessment::readAssessment(path, tankId);
    if (!assessed)
        return fail(assessed.error());
    return writeCsv(assessment::csv(*assessed), out, path,
                    QStringLiteral("the CSV of a corrosion assessment"));
}

// The recorded changes of a tank, newest first, as the History window exports them, in the units
// of the database's Preferences and the computer's time zone. A tank deleted since still has its
// history printed: that is where its deletion is recorded.
int printHistory(const QString& path, qint32 tankId, const Output& out) {
    using namespace korvane;
    if (const Status readable = checkReadable(path); !readable)
        return fail(readable.error());
    auto db = Database::open(path);
    if (!db)
        return fail(db.error());
    auto found = holdsTank(*db, tankId);
    if (!found)
        return fail(found.error());
    auto entries = history::readForTank(*db, tankId);
    if (!entries)
        return fail(entries.error());
    if (!*found && entries->empty())
        return fail(QStringLiteral("%1 holds no tank %2.").arg(path).arg(tankId));
    auto context = history::readDisplayContext(*db);
    if (!context)
        return fail(context.error());
    return writeCsv(history::csv(history::displayRows(*entries, *context)), out, path,
                    QStringLiteral("the CSV of a history"));
}

// Renders a report to a PDF file in the units of the database's Preferences. The PDF never
// replaces the database or the report file, nor a file that is not a PDF without --force.
int printReport(const QString& path, const QString& reportFile, const QString& formula,
                const Output& out) {
    using namespace korvane;
    const QString& pdf = out.file;
    if (Status allowed = checkOutputFile(pdf,
                                         {{path, QStringLiteral("the database")},
                                          {reportFile, QStringLiteral("the report file")}},
                                         pdfOutput(), out.force);
        !allowed)
        return fail(allowed.error());
    auto db = Database::open(path, Database::Check::Integrity);
    if (!db)
        return fail(db.error());
    auto unitsUS = preferences::loadUnitsUS(*db);
    if (!unitsUS)
        return fail(unitsUS.error());
    db->close();
    reports::ReportRequest request;
    request.databaseName = path;
    request.reportFile = reportFile;
    // A report named with a folder is the file the user chose; a bare name is looked up as the
    // program looks up its stored reports.
    request.reportIsPath = reportFile.contains(u'/');
    request.formula = formula;
    request.unitsUS = *unitsUS;
    request.today = SystemClock().today();
    // A run that goes on too long is stopped with a message rather than left to hang.
    reports::RunWatch watch(reports::CommandLineTimeLimit);
    auto built = reports::buildReport(request, watch);
    if (!built)
        return fail(built.error());
    return report(reports::writePdf(*built, pdf, watch), QStringLiteral("Wrote %1.").arg(pdf));
}

// The "Due and at Risk" list of every tank, worst first, as CSV or an Excel workbook; 3 when a
// tank needs attention, so that a nightly job can send it on.
int printDue(const QString& path, int horizonDays, const Output& out) {
    using namespace korvane;
    if (const Status readable = checkReadable(path); !readable)
        return fail(readable.error());
    due::Options options;
    options.today = SystemClock().today();
    options.horizonDays = horizonDays;
    const auto rows = due::readDueList(path, options);
    if (!rows)
        return fail(rows.error());
    const bool attention = std::any_of(
        rows->begin(), rows->end(), [](const due::TankRow& row) { return row.needsAttention(); });
    const sheet::Sheet table = due::toSheet(*rows);
    int written = 0;
    if (out.xlsx) {
        const OutputKind workbook{QStringLiteral("an Excel workbook"), [](const QByteArray& head) {
                                      return head.startsWith("PK\x03\x04");
                                  }};
        if (Status allowed = checkOutputFile(out.file, {{path, QStringLiteral("the database")}},
                                             workbook, out.force);
            !allowed)
            return fail(allowed.error());
        if (Status saved = sheet::writeXlsx(table, out.file); !saved)
            return fail(saved.error());
        std::printf("Wrote %s.\n", qPrintable(out.file));
    } else {
        written = writeCsv(sheet::csv(table), out, path,
                           QStringLiteral("the CSV of a Due and at Risk list"));
    }
    if (written != 0)
        return written;
    return attention ? NeedsAttention : 0;
}

// Copies an old Access database into a new one and tells what was copied and what was not.
int importDatabase(const QString& accessPath, const QString& path, bool acceptLoss) {
    const auto imported = korvane::access::importAccess(
        accessPath, path, acceptLoss, korvane::access::ReadLimits::fromEnvironment(), testStop());
    if (!imported)
        return fail(imported.error());
    std::printf("Wrote %s from %s.\n%s\n", qPrintable(path), qPrintable(accessPath),
                qPrintable(imported->text()));
    return 0;
}

// Takes --force and, for the commands that print CSV, --output FILE (or -o FILE) out of the
// arguments after the command; for due, --csv FILE, --xlsx FILE and --within DAYS (into
// horizonDays). Gives what was not understood.
QString takeOptions(QStringList& args, bool csv, Output& out, int* horizonDays = nullptr) {
    for (qsizetype i = 1; i < args.size();) {
        const QString& arg = args.at(i);
        const bool dueFile =
            horizonDays && (arg == QLatin1String("--csv") || arg == QLatin1String("--xlsx"));
        if (arg == QLatin1String("--force")) {
            out.force = true;
            args.removeAt(i);
        } else if (horizonDays && arg == QLatin1String("--within")) {
            bool isNumber = false;
            const int days = i + 1 < args.size() ? args.at(i + 1).toInt(&isNumber) : 0;
            if (!isNumber || days < 0 || days > korvane::due::MaxHorizonDays)
                return QStringLiteral("--within needs a number of days from 0 to %1")
                    .arg(korvane::due::MaxHorizonDays);
            *horizonDays = days;
            args.remove(i, 2);
        } else if (dueFile) {
            if (i + 1 == args.size() || args.at(i + 1).isEmpty())
                return QStringLiteral("%1 needs the name of the file to write").arg(arg);
            if (!out.file.isEmpty())
                return QStringLiteral("only one output file can be written");
            out.file = args.at(i + 1);
            out.xlsx = arg == QLatin1String("--xlsx");
            args.remove(i, 2);
        } else if (csv && !horizonDays &&
                   (arg == QLatin1String("--output") || arg == QLatin1String("-o"))) {
            if (i + 1 == args.size() || args.at(i + 1).isEmpty())
                return QStringLiteral("%1 needs the name of the file to write").arg(arg);
            if (!out.file.isEmpty())
                return QStringLiteral("only one output file can be written");
            out.file = args.at(i + 1);
            args.remove(i, 2);
        } else {
            ++i;
        }
    }
    if (csv && out.force && out.file.isEmpty())
        return horizonDays
                   ? QStringLiteral(
                         "--force replaces the file of --csv or --xlsx, and none is given")
                   : QStringLiteral("--force replaces the file of --output, and none is given");
    return {};
}

} // namespace

// A gauge's file stored as readings of an inspection, all rows or none: a row that cannot be
// stored or fails a red check is listed and stops the import; amber flags are listed and kept
// with their readings.
int importReadings(const QString& path, qint32 inspectionId, const QString& file,
                   std::optional<bool> unitUS) {
    using namespace korvane;
    if (const Status readable = checkReadable(path); !readable)
        return fail(readable.error());
    qint32 tankId = 0;
    readingfile::SessionDefaults defaults;
    bool shownUS = true;
    {
        auto db = Database::open(path);
        if (!db)
            return fail(db.error());
        auto row = db->exec(QStringLiteral("SELECT \"TankID\", \"InspectionDate\", "
                                           "\"InspectedBy\" FROM \"Inspection\" WHERE "
                                           "\"InspectionID\" = ?"),
                            {inspectionId});
        if (!row)
            return fail(row.error());
        if (!row->next())
            return fail(QStringLiteral("%1 holds no inspection %2.").arg(path).arg(inspectionId));
        tankId = row->value(0).toInt();
        defaults.date = QDate::fromString(row->value(1).toString(), Qt::ISODate);
        defaults.takenBy = row->value(2).toString();
        auto units = preferences::loadUnitsUS(*db);
        if (!units)
            return fail(units.error());
        shownUS = *units;
    }
    auto table = readingfile::readTableFile(file);
    if (!table)
        return fail(table.error());
    readingfile::Mapping mapping = readingfile::guessMapping(*table);
    if (mapping.point == readingfile::NoColumn || mapping.thickness == readingfile::NoColumn)
        return fail(QStringLiteral("%1: which columns hold the point IDs and the thicknesses "
                                   "cannot be told; give the columns titles such as \"Point\" "
                                   "and \"Thickness\".")
                        .arg(file));
    if (unitUS)
        mapping.fileUnitUS = *unitUS;
    auto facts = readingimport::readTankFacts(path, tankId);
    if (!facts)
        return fail(facts.error());
    defaults.courses = facts->courses;
    defaults.today = SystemClock().today();
    std::vector<readingcheck::Entry> entries = readingfile::mapRows(*table, mapping, defaults);
    if (entries.empty())
        return fail(QStringLiteral("%1 holds no readings.").arg(file));
    readingcheck::checkEntries(entries, *facts, shownUS);
    int stopping = 0, amber = 0;
    for (const readingcheck::Entry& e : entries) {
        const QString where =
            QStringLiteral("%1 line %2 (%3)").arg(file).arg(e.line).arg(e.pointId);
        if (!e.error.isEmpty()) {
            ++stopping;
            std::fprintf(stderr, "%s: cannot be stored: %s\n", qPrintable(where),
                         qPrintable(e.error));
            continue;
        }
        const bool red = readingcheck::hasRed(e.flags);
        if (red)
            ++stopping;
        else if (!e.flags.empty())
            ++amber;
        for (const readingcheck::Flag& f : e.flags)
            std::fprintf(stderr, "%s: %s: %s\n", qPrintable(where),
                         readingcheck::severity(f.kind) == readingcheck::Severity::Red ? "red"
                                                                                       : "amber",
                         qPrintable(f.reason));
    }
    if (stopping > 0)
        return fail(QStringLiteral("%1 of %2 rows cannot be stored or failed a check; nothing was "
                                   "stored.")
                        .arg(stopping)
                        .arg(entries.size()));
    std::vector<const readingcheck::Entry*> rows;
    for (const readingcheck::Entry& e : entries)
        rows.push_back(&e);
    if (const Status stored = readingimport::storeEntries(path, inspectionId, rows); !stored)
        return fail(stored.error());
    std::printf("%s\n", qPrintable(QStringLiteral("Stored %1 readings in inspection %2 (%3 "
                                                  "flagged in amber).")
                                       .arg(rows.size())
                                       .arg(inspectionId)
                                       .arg(amber)));
    return 0;
}

int copyDatabase(const QString& from, const QString& to) {
    using namespace korvane;
    if (!server::isServerName(to))
        if (Status allowed = checkOutputFile(
                to, {{from, QStringLiteral("the database being copied")}}, {}, false);
            !allowed)
            return fail(allowed.error());
    auto copied = korvane::copyDatabase(from, to, testStop());
    if (!copied)
        return fail(copied.error());
    std::printf("Copied %d tables, %lld rows from %s to %s.\n", copied->tables,
                static_cast<long long>(copied->rows), qPrintable(server::displayName(from)),
                qPrintable(server::displayName(to)));
    for (const QString& left : copied->leftOut)
        std::printf("Not copied (the new database has no place for it): %s\n", qPrintable(left));
    return 0;
}

int main(int argc, char** argv) {
    // Reports are laid out with fonts, which need a (screenless) GUI application.
    const bool reportCommand = argc > 1 && std::strcmp(argv[1], "report") == 0;
    if (reportCommand && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        reportCommand ? std::make_unique<QGuiApplication>(argc, argv)
                      : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage({});
    const QString command = args.first();
    const bool survey = command == QLatin1String("survey");
    const bool assess = command == QLatin1String("assess");
    const bool history = command == QLatin1String("history");
    const bool dueList = command == QLatin1String("due");
    Output out;
    int horizonDays = korvane::due::DefaultHorizonDays;
    if (reportCommand || survey || assess || history || dueList)
        if (const QString problem =
                takeOptions(args, !reportCommand, out, dueList ? &horizonDays : nullptr);
            !problem.isEmpty())
            return usage(problem);
    if (reportCommand) {
        if (args.size() != 5 || args.at(1).isEmpty() || args.at(2).isEmpty() ||
            args.at(4).isEmpty())
            return usage(QStringLiteral("report needs the database, the report file, the "
                                        "selection formula and the PDF file"));
        out.file = args.at(4);
        return printReport(args.at(1), args.at(2), args.at(3), out);
    }
    if (command == QLatin1String("copy")) {
        if (args.size() != 3 || args.at(1).isEmpty() || args.at(2).isEmpty())
            return usage(QStringLiteral("copy needs the database to copy and the new one"));
        return copyDatabase(args.at(1), args.at(2));
    }
    if (command == QLatin1String("import-readings")) {
        std::optional<bool> unitUS;
        if (const qsizetype at = args.indexOf(QStringLiteral("--unit")); at >= 0) {
            if (at + 1 >= args.size())
                return usage(QStringLiteral("--unit needs in or mm"));
            const QString unit = args.at(at + 1);
            if (unit != QLatin1String("in") && unit != QLatin1String("mm"))
                return usage(QStringLiteral("--unit is in or mm, not \"%1\"").arg(unit));
            unitUS = unit == QLatin1String("in");
            args.remove(at, 2);
        }
        if (args.size() != 4 || args.at(1).isEmpty() || args.at(3).isEmpty())
            return usage(QStringLiteral("import-readings needs a database, an inspection ID and "
                                        "a file of readings"));
        bool isNumber = false;
        const qint32 inspectionId = args.at(2).toInt(&isNumber);
        if (!isNumber)
            return usage(QStringLiteral("\"%1\" is not an inspection ID").arg(args.at(2)));
        return importReadings(args.at(1), inspectionId, args.at(3), unitUS);
    }
    if (command == QLatin1String("import")) {
        const bool acceptLoss = args.removeAll(QStringLiteral("--accept-loss")) > 0;
        if (args.size() != 3 || args.at(1).isEmpty() || args.at(2).isEmpty())
            return usage(QStringLiteral("import needs the Access file and the name of the new "
                                        "database"));
        return importDatabase(args.at(1), args.at(2), acceptLoss);
    }
    if (command != QLatin1String("create") && command != QLatin1String("demo") && !survey &&
        !assess && !history && !dueList)
        return usage(QStringLiteral("unknown command \"%1\"").arg(command));
    if (args.size() < 2 || args.at(1).isEmpty())
        return usage(QStringLiteral("%1 needs the name of the database file").arg(command));
    const qsizetype wanted = survey || assess || history ? 3 : 2;
    if (args.size() < wanted)
        return usage(survey ? QStringLiteral("survey needs the ID of an inspection")
                            : QStringLiteral("%1 needs the ID of a tank").arg(command));
    if (args.size() > wanted)
        return usage(QStringLiteral("too many arguments"));

    const QString& path = args.at(1);
    // The database is never the output, however it is named; that is known before any work.
    if (!out.file.isEmpty())
        if (korvane::Status allowed =
                korvane::checkNotAnInput(out.file, {{path, QStringLiteral("the database")}});
            !allowed)
            return fail(allowed.error());
    if (dueList)
        return printDue(path, horizonDays, out);
    if (survey) {
        bool isNumber = false;
        const qint32 inspectionId = args.at(2).toInt(&isNumber);
        if (!isNumber)
            return usage(QStringLiteral("\"%1\" is not an inspection ID").arg(args.at(2)));
        return printSurvey(path, inspectionId, out);
    }
    if (assess || history) {
        bool isNumber = false;
        const qint32 tankId = args.at(2).toInt(&isNumber);
        if (!isNumber)
            return usage(QStringLiteral("\"%1\" is not a tank ID").arg(args.at(2)));
        return assess ? printAssessment(path, tankId, out) : printHistory(path, tankId, out);
    }
    if (command == QLatin1String("create"))
        return report(korvane::buildDatabase(path, {}, testStop()),
                      QStringLiteral("Wrote the empty database %1.").arg(path));
    const korvane::SystemClock clock;
    return report(korvane::createDemoDatabase(path, clock.today(), testStop()),
                  QStringLiteral("Wrote the demo database %1.").arg(path));
}
