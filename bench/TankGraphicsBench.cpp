// Picking a tank on "Tank Select" of the Tank Graphics window, for a tank of 20 stored drawing
// pages of 10,000 elements each, until its roof page is on the surface: the real window, against
// the bare SQLite read of the same 20 rows and the drawing-file reader loading the roof page.

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "data/Database.h"
#include "drawing/DrawingFile.h"
#include "drawing/DrawingGeometry.h"
#include "drawing/DrawingSurface.h"
#include "graphics/TankGraphicsWindow.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "storage/GraphicStorage.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace korvane;

constexpr int CompanyID = 1, LocationID = 1, TankID = 1;
constexpr int PageCount = 20;
constexpr int ElementCount = 10000;

// A page of ElementCount elements: the locked background, then shapes and labels at random.
QByteArray pageText(quint32 seed) {
    QRandomGenerator random(seed);
    const ElementKind kinds[] = {ElementKind::Line, ElementKind::Box, ElementKind::RoundedBox,
                                 ElementKind::Oval, ElementKind::Arc, ElementKind::Chord};
    std::vector<Element> elements(1);
    elements[0].kind = ElementKind::Background;
    elements[0].p2 = QPointF(1000, 1000);
    elements[0].color = ButtonFaceColor;
    elements[0].locked = true;
    for (int i = 1; i < ElementCount; ++i) {
        Element e;
        e.kind = i % 20 == 0 ? ElementKind::Text : kinds[random.bounded(6)];
        e.p1 = QPointF(random.bounded(960.0), random.bounded(960.0));
        e.p2 = e.p1 + QPointF(5 + random.bounded(55.0), 5 + random.bounded(55.0));
        e.startAngle = random.bounded(360.0);
        e.endAngle = random.bounded(360.0);
        e.color =
            random.bounded(3) == 0 ? static_cast<ColorValue>(random.bounded(0xFFFFFF)) : NoColor;
        e.color2 = static_cast<ColorValue>(random.bounded(0xFFFFFF));
        e.fontSize = 14;
        e.hotSpot = e.hit = i % 7 == 0;
        if (e.kind == ElementKind::Text) {
            e.text = QStringLiteral("TML-%1").arg(i);
            fitTextBox(e);
        }
        elements.push_back(e);
    }
    return writeDrawing(elements, QPalette());
}

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "cannot build the benchmark database: %s\n", qPrintable(why));
    std::exit(1);
}

struct Pages {
    QString database;
    QString roofFile; // the roof page's text as a drawing file, for the baseline
};

// A company, a location and one tank with PageCount stored pages: roof, floor, nine shell
// rollouts and nine other pages, each a different drawing.
const Pages& pages() {
    static QTemporaryDir dir;
    static const Pages built = [] {
        Pages p{dir.filePath(QStringLiteral("graphics.mdb")), dir.filePath(QStringLiteral("roof"))};
        if (Status created = Database::create(p.database); !created)
            fail(created.error());
        auto db = Database::open(p.database);
        if (!db)
            fail(db.error());
        QStringList suffixes{graphicpages::roofPage(), graphicpages::floorPage()};
        for (int n = 1; n <= 9; ++n)
            suffixes << graphicpages::shellPage(n, false) << graphicpages::otherPage(n);
        const QString prefix = graphicpages::prefix(CompanyID, LocationID, TankID);
        const Status filled = db->transaction([&]() -> Status {
            for (const auto& [sql, values] : std::vector<std::pair<const char*, QVariantList>>{
                     {"INSERT INTO Company (CompanyID, Company) VALUES (?, 'Bench')", {CompanyID}},
                     {"INSERT INTO Location (LocationID, CompanyID, Location) VALUES (?, ?, "
                      "'Farm')",
                      {LocationID, CompanyID}},
                     {"INSERT INTO Tank (TankID, LocationID, Name) VALUES (?, ?, 'T-1')",
                      {TankID, LocationID}}})
                if (auto q = db->exec(QString::fromLatin1(sql), values); !q)
                    return q.takeError();
            for (int i = 0; i < PageCount; ++i) {
                const QString label = prefix + suffixes[i];
                const QByteArray text = pageText(static_cast<quint32>(100 + i));
                if (i == 0) {
                    QFile roof(p.roofFile);
                    if (!roof.open(QIODevice::WriteOnly) || roof.write(text) != text.size())
                        return Error{QStringLiteral("cannot write %1").arg(p.roofFile)};
                }
                if (auto q = db->exec(
                        QStringLiteral("INSERT INTO TGraphic (TankID, "
                                       "GraphicLabel, GraphicType, Graphic) VALUES "
                                       "(?, ?, ?, ?)"),
                        {TankID, label, graphicpages::graphicType(label), QString::fromUtf8(text)});
                    !q)
                    return q.takeError();
            }
            return {};
        });
        if (!filled)
            fail(filled.error());
        return p;
    }();
    return built;
}

// The user is never asked anything on this road; a message means something went wrong.
class NoAnswers final : public Prompts {
public:
    Answer message(const QString&, const QString&, Icon, Buttons) override {
        ++asked;
        return Answer::Cancel;
    }
    QString input(const QString&, const QString&, const QString&) override {
        ++asked;
        return {};
    }
    int asked = 0;
};

void BM_BareSqlitePagesAndRoofLoad(benchmark::State& state) {
    const Pages& p = pages();
    for (auto _ : state) {
        if (bench::bareQuery(p.database,
                             "SELECT GraphicLabel, Graphic FROM TGraphic WHERE TankID = ?",
                             TankID) != PageCount)
            state.SkipWithError("wrong row count");
        auto roof = loadDrawingFile(p.roofFile);
        if (!roof || static_cast<int>(roof->elements.size()) != ElementCount)
            state.SkipWithError("roof page not read");
    }
}

void doubleClickFirst(QListWidget& list) {
    list.setCurrentRow(0);
    emit list.itemDoubleClicked(list.item(0));
}

// A fresh window each time (a window keeps the pages of a tank once picked), brought to its tank
// grid outside the measured part; measured is the double click on the tank row, which writes the
// stored pages out and loads the roof page onto the surface.
void BM_TankGraphicsPickTank(benchmark::State& state) {
    NoAnswers prompts;
    StandaloneServices standalone(prompts);
    Session session;
    session.DatabaseName = pages().database;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<TankGraphicsWindow>(session, standalone.services);
        window->show();
        doubleClickFirst(*window->findChild<QListWidget*>(QStringLiteral("List_Company")));
        doubleClickFirst(*window->findChild<QListWidget*>(QStringLiteral("List_Location")));
        auto* grid = window->findChild<QTableView*>(QStringLiteral("Grid_Tanks"));
        const QModelIndex tank = grid->model()->index(0, 0);
        QApplication::processEvents();
        state.ResumeTiming();

        emit grid->doubleClicked(tank);

        state.PauseTiming();
        const auto* roof = window->findChild<DrawingSurface*>(QStringLiteral("Surface1"));
        if (prompts.asked != 0 || roof->drawing().size() != ElementCount ||
            window->findChild<QTabWidget*>(QStringLiteral("Tabs"))->currentIndex() !=
                TankGraphicsWindow::TabRoofFloor)
            state.SkipWithError("roof page not shown");
        session.RecordMode = false;
        window.reset(); // its page folder goes with it
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_BareSqlitePagesAndRoofLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TankGraphicsPickTank)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pages(); // built once, outside the measured runs
    return korvane::bench::runWithRatios(
        argc, argv, {{"BM_TankGraphicsPickTank", "BM_BareSqlitePagesAndRoofLoad"}});
}
