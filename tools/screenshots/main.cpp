// Draws the working windows on a database the way a user leaves them on screen and saves a PNG
// of each tab worth showing: the Tank Information window with a tank open, the Inspection &
// Thickness window with the latest inspection of a tank open and one reading entered, the review
// of a gauge's file and the trend of a point, the shell survey of the demo's surveyed tank, and
// its settlement graphs; and the main window with the database open, showing its Due and at Risk
// list.
//
// usage: korvane-screenshots DATABASE FOLDER
// Run it on a copy of the demo database: it writes a thickness reading into it.

#include "assessment/AssessmentWindow.h"
#include "assessment/TrendWindow.h"
#include "data/Database.h"
#include "data/History.h"
#include "drawing/DrawingSurface.h"
#include "graphics/InspectionGraphicsWindow.h"
#include "graphics/TankGraphicsWindow.h"
#include "history/HistoryWindow.h"
#include "inspection/InspectionWindow.h"
#include "inspection/ReadingImportWindow.h"
#include "inspection/SettlementGraphWindow.h"
#include "platform/Keyboard.h"
#include "platform/Prompts.h"
#include "platform/SelectionChain.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "printdialog/ReportPreview.h"
#include "readingfile/ReadingTable.h"
#include "reports/ReportEngine.h"
#include "shell/MainWindow.h"
#include "storage/AssessmentRecords.h"
#include "storage/InspectionRecords.h"
#include "tank/TankInformationWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <map>
#include <vector>

namespace {

using namespace korvane;

// Every message is printed and answered OK; nobody is there to answer it. Only the question
// before printing, the kind of a new shell page and the kind of an area's reading are expected.
class PrintedPrompts final : public Prompts {
public:
    Answer message(const QString& text, const QString& title, Icon, Buttons) override {
        if (title == QLatin1String(" Print Notification"))
            return Answer::Ok;
        if (title == QLatin1String("Graphic Type") || title == QLatin1String("Reading Type"))
            return Answer::Yes; // a rollout of the shell; an edge or a corrosion reading
        std::fprintf(stderr, "message \"%s\": %s\n", qPrintable(title), qPrintable(text));
        ++messages;
        return Answer::Ok;
    }
    QString input(const QString& prompt, const QString&, const QString&) override {
        std::fprintf(stderr, "input box: %s\n", qPrintable(prompt));
        ++messages;
        return {};
    }
    int messages = 0;
};

// Printed pages go to PDF files in the screenshot folder, whatever printers the machine has,
// without a dialog: as if a printer had been chosen.
class PdfPrinters final : public PrinterProvider {
public:
    // The file the next print is written to.
    static void setFallbackPdf(const QString& pdf) { pdf_ = pdf; }

    PrintTarget choose(QWidget&, const PrintJob&) override {
        PrintTarget target;
        target.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        target.printer->setOutputFormat(QPrinter::PdfFormat);
        target.printer->setOutputFileName(pdf_);
        return target;
    }

private:
    static inline QString pdf_;
};

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(20);
    }
}

// The window as it stands on the screen: with the title bar and border of the window manager
// when there is one (scripts/screenshots runs one), else the window's own drawing.
QPixmap picture(QWidget& window) {
    if (window.isWindow()) {
        window.raise();
        window.activateWindow();
        settle();
        const QRect frame = window.frameGeometry();
        if (frame != window.geometry() && window.screen())
            return window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(),
                                               frame.height());
    }
    return window.grab();
}

bool save(QWidget& window, const QDir& folder, const QString& name) {
    settle();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!picture(window).save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

template <class T> T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QString::fromLatin1(name));
    if (!w)
        std::fprintf(stderr, "no control %s\n", name);
    return w;
}

// Chooses the first company and its first location, as double clicks do.
void chooseFirstLocation(SelectionChain& chain) {
    chain.companyList()->setCurrentRow(0);
    chain.List_Company_DblClick();
    chain.locationList()->setCurrentRow(0);
    chain.List_Location_DblClick();
}

void doubleClickRow(QTableView& grid, int row) {
    const QModelIndex index = grid.model()->index(row, 0);
    grid.setCurrentIndex(index);
    emit grid.doubleClicked(index);
}

// Shows a window that picks a tank from Grid_Tanks, with the first company's first location
// chosen and one tank row highlighted. Gives the grid and the tab strip; false when one is
// missing.
bool showTankGrid(QWidget& window, QSize size, int row, QTableView*& grid, QTabWidget*& tabs) {
    window.resize(size);
    window.show();
    auto* chain = window.findChild<SelectionChain*>();
    grid = child<QTableView>(window, "Grid_Tanks");
    tabs = child<QTabWidget>(window, "Tabs");
    if (!chain || !grid || !tabs)
        return false;
    chooseFirstLocation(*chain);
    grid->setCurrentIndex(grid->model()->index(row, 0));
    return true;
}

bool tankWindow(Session& session, Services& services, const QDir& folder) {
    TankInformationWindow window(session, services);
    QTableView* grid = nullptr;
    QTabWidget* tabs = nullptr;
    if (!showTankGrid(window, {1000, 680}, 1, grid, tabs))
        return false;
    bool ok = save(window, folder, QStringLiteral("tank-select"));
    doubleClickRow(*grid, 1);
    tabs->setCurrentIndex(1);
    ok = save(window, folder, QStringLiteral("tank-general")) && ok;
    tabs->setCurrentIndex(2);
    ok = save(window, folder, QStringLiteral("tank-design")) && ok;
    session.RecordMode = false;
    return ok;
}

// Shows the window, chooses the first company, one of its locations and one of that location's
// tanks, then highlights the tank's latest inspection. Gives the inspection grid, or null.
QTableView* chooseLatestInspection(QWidget& window, int location, int tank) {
    window.resize(1000, 680);
    window.show();
    auto* chain = window.findChild<SelectionChain*>();
    auto* inspections = child<QTableView>(window, "Grid_Inspection");
    if (!chain || !inspections)
        return nullptr;
    chain->companyList()->setCurrentRow(0);
    chain->List_Company_DblClick();
    chain->locationList()->setCurrentRow(location);
    chain->List_Location_DblClick();
    chain->tankList()->setCurrentRow(tank);
    chain->List_Tank_DblClick();
    inspections->setCurrentIndex(
        inspections->model()->index(inspections->model()->rowCount() - 1, 0));
    return inspections;
}

bool inspectionWindow(Session& session, Services& services, const QDir& folder) {
    InspectionWindow window(session, services);
    auto* tabs = child<QTabWidget>(window, "Tabs");
    QTableView* inspections = chooseLatestInspection(window, 0, 0);
    if (!inspections || !tabs)
        return false;
    bool ok = save(window, folder, QStringLiteral("inspection-select"));

    doubleClickRow(*inspections, inspections->currentIndex().row());
    ok = save(window, folder, QStringLiteral("inspection-report")) && ok;

    // One reading entered and saved, the next one being typed.
    child<QPushButton>(window, "Cmd_AddThickness")->click();
    child<QLineEdit>(window, "Text_TTakenBy")->setText(QStringLiteral("M. Okafor"));
    child<QLineEdit>(window, "Text_TDateTaken")->setText(QStringLiteral("14/Jun/2024"));
    auto* course = child<QComboBox>(window, "List_Course");
    course->setCurrentIndex(2);
    child<QLineEdit>(window, "Text_PointID")->setText(QStringLiteral("S1-NE"));
    child<QLineEdit>(window, "Text_Thickness")->setText(QStringLiteral("0.412"));
    child<QPushButton>(window, "Cmd_Next")->click();
    course->setCurrentIndex(3);
    child<QLineEdit>(window, "Text_PointID")->setText(QStringLiteral("S2-NE"));
    child<QLineEdit>(window, "Text_Thickness")->setText(QStringLiteral("0.3"));
    ok = save(window, folder, QStringLiteral("inspection-thickness")) && ok;
    child<QPushButton>(window, "Cmd_TCancel")->click();
    PdfPrinters::setFallbackPdf(folder.filePath(QStringLiteral("thickness-report.pdf")));
    child<QPushButton>(window, "Cmd_Print")->click();

    tabs->setCurrentIndex(InspectionWindow::TabBottom);
    ok = save(window, folder, QStringLiteral("inspection-bottom")) && ok;
    session.RecordMode = false;
    return ok;
}

// The corrosion assessment of the tank the inspection window chose last.
bool assessmentWindow(Session& session, Services& services, const QDir& folder) {
    AssessmentWindow window(session, services, QStringLiteral("T-101"));
    if (Status loaded = window.load(); !loaded) {
        std::fprintf(stderr, "%s\n", qPrintable(loaded.error()));
        return false;
    }
    window.show();
    return save(window, folder, QStringLiteral("corrosion-assessment"));
}

// The review of a gauge's file for the tank the inspection window chose last: its readings of
// each point read again three years on, with a dropped digit, millimetres among inches, a thicker
// reading and a letter O for a zero planted among them; and the trend of its point of shortest
// life.
bool importAndTrendWindows(Session& session, Services& services, const QDir& folder) {
    auto readings = readTankReadings(session.DatabaseName, session.CurTankID);
    if (!readings || readings->empty())
        return false;
    // The latest reading of each point, in point order.
    std::map<QString, TankReading> latest;
    for (const TankReading& r : *readings)
        latest[r.pointId] = r;
    readingfile::Table table;
    table.delimiter = QLatin1Char(',');
    table.format = QStringLiteral("UTF-8");
    table.rows << QStringList{QStringLiteral("TML"), QStringLiteral("Thk"), QStringLiteral("Units"),
                              QStringLiteral("Date")};
    table.lines << 1;
    int n = 0;
    for (const auto& [point, r] : latest) {
        QString id = point;
        double value = r.reading - 0.004;
        const QString unit = QStringLiteral("in");
        if (n == 3)
            value = value / 10; // a dropped digit
        else if (n == 6)
            value = value * 25.4; // millimetres in an inch column
        else if (n == 9)
            value = r.reading + 0.03;
        else if (n == 8)
            id.replace(QLatin1Char('0'), QLatin1Char('O'))
                .replace(QLatin1Char('1'), QLatin1Char('I'));
        table.rows << QStringList{id, QString::number(value, 'f', 3), unit,
                                  QStringLiteral("2024-06-12")};
        table.lines << static_cast<int>(table.rows.size());
        if (++n == 24)
            break;
    }
    ReadingImportWindow window(session, services, table, QStringLiteral("gauge-2024-06-12.csv"),
                               {QDate(2024, 6, 12), QStringLiteral("M. Okafor")});
    if (Status loaded = window.load(); !loaded) {
        std::fprintf(stderr, "%s\n", qPrintable(loaded.error()));
        return false;
    }
    window.resize(1100, 640);
    window.show();
    bool ok = save(window, folder, QStringLiteral("import-mapping"));
    child<QPushButton>(window, "Cmd_Check")->click();
    ok = save(window, folder, QStringLiteral("import-review")) && ok;
    window.close();

    auto assessed = assessment::readAssessment(session.DatabaseName, session.CurTankID);
    if (!assessed || assessed->governingPoint.isEmpty())
        return false;
    TrendWindow trend(session, services, QStringLiteral("T-101"));
    if (Status loaded = trend.load(assessed->governingPoint); !loaded) {
        std::fprintf(stderr, "%s\n", qPrintable(loaded.error()));
        return false;
    }
    trend.show();
    return save(trend, folder, QStringLiteral("trend")) && ok;
}

// The surveyed tank of the demo database (the third location's third tank): its latest
// inspection's shell survey, and the graphs of it.
bool surveyWindow(Session& session, Services& services, const QDir& folder) {
    InspectionWindow window(session, services);
    auto* tabs = child<QTabWidget>(window, "Tabs");
    QTableView* inspections = chooseLatestInspection(window, 2, 2);
    if (!inspections || !tabs)
        return false;
    doubleClickRow(*inspections, inspections->currentIndex().row());
    tabs->setCurrentIndex(InspectionWindow::TabShell);
    bool ok = save(window, folder, QStringLiteral("inspection-shell"));
    PdfPrinters::setFallbackPdf(folder.filePath(QStringLiteral("survey-report.pdf")));
    child<QPushButton>(window, "Cmd_Print")->click();

    // The graph window is shown by the window's Graph button; here it is drawn on its own.
    auto* grid = child<QTableWidget>(window, "Grid_Edge");
    if (!grid || grid->rowCount() == 0)
        return false;
    SettlementGraphWindow graphs(session, services, grid->rowCount(), {}, QString(), QString());
    graphs.resize(900, 760);
    graphs.show();
    ok = save(graphs, folder, QStringLiteral("settlement-graphs")) && ok;
    session.RecordMode = false;
    return ok;
}

// A click of the mouse at a point of a drawing page.
void clickPage(DrawingSurface& surface, QPointF logical) {
    QTest::mouseClick(surface.viewport(), Qt::LeftButton, {},
                      surface.toViewport(logical).toPoint());
}

// Ties a new element at (x, y) to a data row as a user does: a small box (or a larger oval for
// an area) selected, Add, the entry boxes typed in order, Accept, and its key written beside it
// as inspectors label their sketches.
void markElement(QWidget& window, DrawingSurface& surface, const char* letters, QPointF at,
                 double size, const std::vector<std::pair<const char*, QString>>& entries) {
    const QString prefix = QString::fromLatin1(letters);
    const bool area = size > 12;
    (void)surface.AddElement(area ? 6 : 2, at.x() - size, at.y() - size, at.x() + size,
                             at.y() + size);
    surface.setElementColor(area ? 0x008080F0u : 0x0000C0FFu);
    surface.setEditMode(11);
    clickPage(surface, at);
    window.findChild<QPushButton*>(QStringLiteral("Cmd_%1Add").arg(prefix))->click();
    QString key;
    for (const auto& [field, keys] : entries) {
        QTest::keyClicks(window.findChild<QLineEdit*>(
                             QStringLiteral("Text_%1%2").arg(prefix, QLatin1String(field))),
                         keys);
        if (key.isEmpty() && (QLatin1String(field) == QLatin1String("PointID") ||
                              QLatin1String(field) == QLatin1String("AreaID")))
            key = keys;
    }
    window.findChild<QPushButton*>(QStringLiteral("Cmd_%1Accept").arg(prefix))->click();
    (void)surface.AddElement(10, at.x() + size + 16, at.y() - size - 18, 0, 0);
    surface.setElementText(key);
}

void markPoint(QWidget& window, DrawingSurface& surface, const char* letters, QPointF at,
               const QString& pointId, const QString& x, const QString& y) {
    markElement(window, surface, letters, at, 12, {{"PointID", pointId}, {"X", x}, {"Y", y}});
}

// A marked area: taken by, date, area ID and three measurements in inches.
void markArea(QWidget& window, DrawingSurface& surface, const char* letters, QPointF at,
              double size, const QString& areaId, const QStringList& measures) {
    const bool edge = QLatin1String(letters) == QLatin1String("E");
    markElement(window, surface, letters, at, size,
                {{"TakenBy", QStringLiteral("M. Okafor")},
                 {"DateTaken", QStringLiteral("14/6/24")},
                 {"AreaID", areaId},
                 {edge ? "Radius" : "Width", measures.value(0)},
                 {"Length", measures.value(1)},
                 {edge ? "Actual" : "Reading", measures.value(2)}});
}

// Rests the pointer on a point of a page, so that the element there shows its row.
void hoverPage(DrawingSurface& surface, QPointF at) {
    surface.setEditMode(11);
    for (const QPointF p : {QPointF(20, 20), at})
        QTest::mouseMove(surface.viewport(), surface.toViewport(p).toPoint());
}

// The demo's first tank's latest inspection: a settled area at the edge of the bottom, corroded
// areas on the roof and the shell, each tab as the inspector leaves it.
bool inspectionGraphicsWindow(Session& session, Services& services, const QDir& folder) {
    InspectionGraphicsWindow window(session, services);
    window.resize(1020, 720);
    window.show();
    auto* tabs = child<QTabWidget>(window, "Tabs");
    QTableView* inspections = chooseLatestInspection(window, 0, 0);
    if (!inspections || !tabs)
        return false;
    bool ok = save(window, folder, QStringLiteral("inspection-graphics-select"));
    doubleClickRow(*inspections, inspections->currentIndex().row());

    auto* edge = child<DrawingSurface>(window, "Surface1");
    (void)edge->AddElement(6, 100, 100, 900, 900);
    (void)edge->AddElement(10, 470, 60, 0, 0);
    edge->setElementText(QStringLiteral("North"));
    markArea(window, *edge, "E", {160, 420}, 40, QStringLiteral("E-1"),
             {QStringLiteral("18"), QStringLiteral("60"), QStringLiteral("1.25")});
    markArea(window, *edge, "E", {560, 640}, 60, QStringLiteral("F-1"),
             {QStringLiteral("30"), QStringLiteral("72"), QStringLiteral("0.75")});
    child<QPushButton>(window, "Cmd_Save1")->click();
    hoverPage(*edge, {160, 420});
    ok = save(window, folder, QStringLiteral("inspection-graphics-edge")) && ok;

    tabs->setCurrentIndex(InspectionGraphicsWindow::TabRoofFloor);
    auto* roof = child<DrawingSurface>(window, "Surface2");
    (void)roof->AddElement(6, 100, 100, 900, 900);
    (void)roof->AddElement(6, 440, 440, 560, 560);
    markArea(window, *roof, "RF", {300, 300}, 50, QStringLiteral("RC-1"),
             {QStringLiteral("24"), QStringLiteral("36"), QStringLiteral("0.062")});
    child<QPushButton>(window, "Cmd_Save2")->click();
    hoverPage(*roof, {300, 300});
    ok = save(window, folder, QStringLiteral("inspection-graphics-roof")) && ok;

    tabs->setCurrentIndex(InspectionGraphicsWindow::TabShell);
    auto* shell = child<DrawingSurface>(window, "Surface3");
    for (int c = 0; c < 4; ++c) {
        const double top = 850 - (c + 1) * 175.0;
        (void)shell->AddElement(2, 50, top, 950, top + 175);
        (void)shell->AddElement(10, 60, top + 8, 0, 0);
        shell->setElementText(QStringLiteral("Course %1").arg(c + 1));
    }
    markArea(window, *shell, "S", {700, 760}, 45, QStringLiteral("SC-1"),
             {QStringLiteral("14"), QStringLiteral("20"), QStringLiteral("0.094")});
    child<QPushButton>(window, "Cmd_Save3")->click();
    hoverPage(*shell, {700, 760});
    ok = save(window, folder, QStringLiteral("inspection-graphics-shell")) && ok;

    tabs->setCurrentIndex(InspectionGraphicsWindow::TabOther);
    ok = save(window, folder, QStringLiteral("inspection-graphics-other")) && ok;
    child<QPushButton>(window, "Cmd_OK")->click();
    session.RecordMode = false;
    return ok;
}

// The first tank of the demo: its roof with the floor points marked (the inspectors' floor
// readings are taken at those points), and a rollout of its shell with the course points.
bool tankGraphicsWindow(Session& session, Services& services, const QDir& folder) {
    TankGraphicsWindow window(session, services);
    QTableView* grid = nullptr;
    QTabWidget* tabs = nullptr;
    if (!showTankGrid(window, {1000, 720}, 0, grid, tabs))
        return false;
    bool ok = save(window, folder, QStringLiteral("tank-graphics-select"));
    doubleClickRow(*grid, 0);

    // Page 2 of the roof/floor tab: the floor, a circle with five points.
    child<QPushButton>(window, "HScroll_RF_Next")->click();
    auto* floor = child<DrawingSurface>(window, "Surface1");
    (void)floor->AddElement(6, 100, 100, 900, 900);
    (void)floor->AddElement(1, 100, 500, 900, 500);
    (void)floor->AddElement(1, 500, 100, 500, 900);
    (void)floor->AddElement(10, 510, 60, 0, 0);
    floor->setElementText(QStringLiteral("N"));
    const struct {
        const char* id;
        QPointF at;
        const char* x;
        const char* y;
    } floorPoints[] = {{"F-C", {500, 500}, "0", "0"},
                       {"F-N", {500, 200}, "0", "30"},
                       {"F-E", {800, 500}, "30", "0"},
                       {"F-S", {500, 800}, "0", "-30"},
                       {"F-W", {200, 500}, "-30", "0"}};
    for (const auto& p : floorPoints)
        markPoint(window, *floor, "RF", p.at, QString::fromLatin1(p.id), QString::fromLatin1(p.x),
                  QString::fromLatin1(p.y));
    child<QPushButton>(window, "Cmd_Save1")->click();
    ok = save(window, folder, QStringLiteral("tank-graphics-floor")) && ok;
    // Zoomed in, with the pointer resting on the centre point: its row shows beside the page.
    for (int i = 0; i < 4; ++i)
        child<QPushButton>(window, "Cmd_ZoomIn1")->click();
    floor->setEditMode(11);
    for (const QPointF at : {QPointF(300, 300), QPointF(500, 500)})
        QTest::mouseMove(floor->viewport(), floor->toViewport(at).toPoint());
    ok = save(window, folder, QStringLiteral("tank-graphics-zoom")) && ok;
    PdfPrinters::setFallbackPdf(folder.filePath(QStringLiteral("tank-graphics-print.pdf")));
    child<QPushButton>(window, "Cmd_Print1")->click();

    // The shell rolled out: one band per course, a point at each compass direction.
    tabs->setCurrentIndex(TankGraphicsWindow::TabShell);
    auto* shell = child<DrawingSurface>(window, "Surface2");
    constexpr int courses = 4;
    for (int c = 0; c < courses; ++c) {
        const double top = 850 - (c + 1) * 175.0;
        (void)shell->AddElement(2, 50, top, 950, top + 175);
        (void)shell->AddElement(10, 60, top + 8, 0, 0);
        shell->setElementText(QStringLiteral("Course %1").arg(c + 1));
        for (int d = 0; d < 4; ++d) {
            const char* direction = "NESW" + d;
            markPoint(window, *shell, "S", {162.5 + d * 225.0, top + 100},
                      QStringLiteral("S%1-%2").arg(c + 1).arg(QLatin1Char(*direction)),
                      QString::number(d * 90), QString::number(c * 8 + 4));
        }
    }
    child<QPushButton>(window, "Cmd_Save2")->click();
    ok = save(window, folder, QStringLiteral("tank-graphics-shell")) && ok;
    child<QPushButton>(window, "Cmd_OK")->click();
    session.RecordMode = false;
    return ok;
}

// The row of a grid whose first column shows `text`, or -1.
int rowShowing(const QTableView& grid, const QString& text) {
    for (int row = 0; row < grid.model()->rowCount(); ++row)
        if (grid.model()->index(row, 0).data().toString() == text)
            return row;
    return -1;
}

// The History window of tank T-101 after a day's work on it: the reading entered, the points
// and pages of the graphics windows above, and its product and tensile strength changed
// through Tank Information.
bool historyWindow(Session& session, Services& services, const QDir& folder) {
    const QString name = QStringLiteral("T-101");
    {
        TankInformationWindow window(session, services);
        QTableView* grid = nullptr;
        QTabWidget* tabs = nullptr;
        if (!showTankGrid(window, {1000, 680}, 0, grid, tabs))
            return false;
        const int row = rowShowing(*grid, name);
        if (row < 0) {
            std::fprintf(stderr, "no tank %s\n", qPrintable(name));
            return false;
        }
        doubleClickRow(*grid, row);
        for (auto [box, typed] :
             {std::pair{"Text_Product", "Gasoline"}, std::pair{"Text_Tensile", "60000"}}) {
            auto* edit = child<QLineEdit>(window, box);
            if (!edit)
                return false;
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(typed));
        }
        child<QPushButton>(window, "Cmd_OK")->click();
        session.RecordMode = false;
    }
    auto db = Database::open(session.DatabaseName);
    if (!db)
        return false;
    auto id = db->firstValue(QStringLiteral("SELECT \"TankID\" FROM \"Tank\" WHERE \"Name\" = ?"),
                             {name});
    if (!id || !id->isValid())
        return false;
    auto entries = history::readForTank(*db, id->toInt());
    auto context = history::readDisplayContext(*db);
    if (!entries || !context) {
        std::fprintf(stderr, "the history of %s cannot be read\n", qPrintable(name));
        return false;
    }
    HistoryWindow window(session, services, QStringLiteral("Tank ") + name, QString());
    window.setEntries(std::move(entries.value()), *context);
    window.resize(1180, 620);
    window.show();
    return save(window, folder, QStringLiteral("history"));
}

// The main window with the database open: the Due and at Risk list of every tank, worst first.
bool mainWindow(Session& session, Services& services, const QDir& folder) {
    MainWindow window(session, services);
    window.resize(1240, 720);
    window.show();
    window.openDatabaseFile(session.DatabaseName);
    if (!window.findChild<QWidget*>(QStringLiteral("FormDue"))) {
        std::fprintf(stderr, "the Due and at Risk list is not shown\n");
        return false;
    }
    return save(window, folder, QStringLiteral("due-and-at-risk"));
}

// Every stored report on the demo database, in its preview window and as a PDF file: the tank
// reports of the first location and the inspection reports of the surveyed tank's location.
bool reportPreviews(Session& session, Services& services, const QDir& folder) {
    const struct {
        const char* file;
        QString formula;
    } runs[] = {
        {"tank_sum.rpt", QStringLiteral("{Tank.LocationID} = 1")},
        {"tank_det.rpt", QStringLiteral("{Tank.TankID} = 1")},
        {"insp_sum.rpt", QStringLiteral("{Tank.LocationID} = 3")},
        {"insp_det.rpt", QStringLiteral("{Tank.Name} = 'T-303'")},
        {"tml_list.rpt", QStringLiteral("{TML.TankID} = 1")},
        {"tml_rate.rpt", QStringLiteral("{Tank.TankID} = 1")},
        {"due.rpt", QString()},
    };
    bool ok = true;
    for (const auto& run : runs) {
        reports::ReportRequest request;
        request.databaseName = session.DatabaseName;
        request.reportFile = QString::fromLatin1(run.file);
        request.formula = run.formula;
        request.unitsUS = session.UnitsUS;
        request.today = services.clock.today();
        auto report = reports::buildReport(request);
        if (!report) {
            std::fprintf(stderr, "%s\n", qPrintable(report.error()));
            ok = false;
            continue;
        }
        const QString name = QFileInfo(request.reportFile).completeBaseName();
        const QPrinter printer(QPrinter::HighResolution);
        ReportPreview preview(reports::reportPages(*report, printer.pageLayout()), services,
                              name + QStringLiteral(".pdf"));
        preview.resize(900, 1000);
        preview.show();
        while (!preview.pages().finished())
            QCoreApplication::processEvents();
        ok = save(preview, folder, QStringLiteral("report-%1").arg(name)) && ok;
        if (auto written = reports::writePdf(*report, folder.filePath(name + ".pdf")); !written) {
            std::fprintf(stderr, "%s\n", qPrintable(written.error()));
            ok = false;
        }
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    // The main window keeps its recent databases in the user's settings: these runs keep theirs
    // in a folder of their own, not among the user's.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    QApplication app(argc, argv);
    installKeyboardConventions(app);
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvane-screenshots DATABASE FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[2]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[2]);
        return 1;
    }
    Session session;
    session.DatabaseName = QString::fromLocal8Bit(argv[1]);
    PrintedPrompts prompts;
    StandaloneServices standalone(prompts);
    PdfPrinters printers;
    AssessmentWindowShower assessment;
    Services services{prompts,
                      standalone.clock,
                      printers,
                      standalone.windows,
                      standalone.pointer,
                      standalone.help,
                      standalone.reports,
                      standalone.history,
                      assessment};

    const bool ok =
        tankWindow(session, services, folder) && inspectionWindow(session, services, folder) &&
        assessmentWindow(session, services, folder) &&
        importAndTrendWindows(session, services, folder) &&
        surveyWindow(session, services, folder) && tankGraphicsWindow(session, services, folder) &&
        inspectionGraphicsWindow(session, services, folder) &&
        historyWindow(session, services, folder) && mainWindow(session, services, folder) &&
        reportPreviews(session, services, folder) && prompts.messages == 0;
    return ok ? 0 : 1;
}
