#include "storage/GraphicStorage.h"

#include "data/Database.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using namespace graphicpages;

TEST(GraphicPages, NamesTypesCaptionsAndWhatCountsAsAPageOfTheOwner) {
    EXPECT_EQ(prefix(3, 7, 12), QStringLiteral("C3_L7_T12"));
    EXPECT_EQ(prefix(3, 7, 12, 40), QStringLiteral("C3_L7_T12_I40"));
    EXPECT_EQ(shellPage(3, false), QStringLiteral("_S03.tmp"));
    EXPECT_EQ(shellPage(3, true), QStringLiteral("_S53.tmp"));
    EXPECT_EQ(otherPage(12), QStringLiteral("_O12.tmp"));

    const struct {
        const char* label;
        int type;
        bool own;                      // a page of C1_L2_T3
        const char* caption = nullptr; // as its tab calls the page; null: the label
    } cases[] = {
        {"C1_L2_T3_Roof.tmp", 1, true, "Roof"},
        {"C1_L2_T3_Floor.tmp", 1, true, "Floor"},
        {"C1_L2_T3_S03.tmp", 1, true, "Shell 3"},
        {"C1_L2_T3_S53.tmp", 2, true, "Shell Plate 3"},
        {"C1_L2_T3_S50.tmp", 1, true, "Shell 50"},
        {"C1_L2_T3_O01.tmp", 1, true, "Other 1"},
        {"C1_L2_T3_Edge.tmp", 1, true, "Edge"},
        {"C1_L2_T33_Roof.tmp", 1, false, "Roof"},
        {"C1_L2_T3_I4_Roof.tmp", 1, false, "Roof"},
        {"../C1_L2_T3_Roof.tmp", 1, false, "Roof"},
        {"/tmp/C1_L2_T3_Roof.tmp", 1, false, "Roof"},
        {"C1_L2_T3_Roof.tmp/x", 1, false},
        {"C1_L2_T3_S5.tmp", 1, false, "C1_L2_T3_S5.tmp"},
        {"C1_L2_T3_Roof.tmp\n", 1, false},
        {"", 1, false},
    };
    // A plate page is told by its number wherever the label's page part stands.
    EXPECT_EQ(graphicType(QStringLiteral("_S52.tmp")), 2);
    EXPECT_EQ(graphicType(QStringLiteral("_S50.tmp")), 1);
    for (const auto& c : cases) {
        const QString label = QString::fromLatin1(c.label);
        EXPECT_EQ(graphicType(label), c.type) << c.label;
        EXPECT_EQ(isOwnPage(label, prefix(1, 2, 3)), c.own) << c.label;
        EXPECT_EQ(pageCaption(label), c.caption ? QString::fromLatin1(c.caption) : label)
            << c.label;
    }
}

class GraphicStoreTest : public testing::Test {
protected:
    void addPage(qint32 tank, const QString& label, const QString& text) const {
        file.add(QStringLiteral("TGraphic"), {{QStringLiteral("TankID"), tank},
                                              {QStringLiteral("GraphicLabel"), label},
                                              {QStringLiteral("GraphicType"), 1},
                                              {QStringLiteral("Graphic"), text}});
    }
    QVariant stored(const QString& label, const char* field) const {
        return file.value(QStringLiteral("TGraphic"), QStringLiteral("GraphicLabel"), label,
                          QString::fromLatin1(field));
    }
    static QString read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll())
                                           : QStringLiteral("<none>");
    }
    static void write(const QString& path, const QString& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }

    test::TestDatabase file;
    const QString drawing = QStringLiteral("<svg>\r\n  <text>Ø 12\" — O'Brien &amp; co</text>\n"
                                           "</svg>\r\n\r\n");
};

// Stored pages come back exactly, other owners' and hostile labels are skipped with a message
// naming the row, and nothing is written outside the window's own folder.
TEST_F(GraphicStoreTest, LoadingWritesOnlyTheOwnersPagesExactlyAsStored) {
    addPage(3, QStringLiteral("C1_L2_T3_Roof.tmp"), drawing);
    addPage(3, QStringLiteral("C1_L2_T3_S51.tmp"), QStringLiteral("plate"));
    addPage(3, QStringLiteral("../C1_L2_T3_O01.tmp"), QStringLiteral("escape"));
    addPage(3, QStringLiteral("C9_L9_T9_Roof.tmp"), QStringLiteral("someone else's"));
    addPage(4, QStringLiteral("C1_L2_T4_Roof.tmp"), QStringLiteral("another tank"));

    GraphicStore store(GraphicStore::Owner::Tank, 3, prefix(1, 2, 3));
    GraphicStore other(GraphicStore::Owner::Tank, 4, prefix(1, 2, 4));
    ASSERT_TRUE(store.isValid());
    EXPECT_NE(store.folder(), other.folder());
    auto loaded = store.LoadGraphicsFromDb(file.path());
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(loaded->pages, 2);
    EXPECT_EQ(loaded->shellPages, 1);
    ASSERT_EQ(loaded->skipped.size(), 2);
    EXPECT_TRUE(loaded->skipped[0].contains(QStringLiteral("../C1_L2_T3_O01.tmp")));
    // Pages are written out as they are shown.
    EXPECT_TRUE(QDir(store.folder()).isEmpty());
    EXPECT_EQ(store.lastShellPage(), 1);
    EXPECT_TRUE(store.hasPage(shellPage(1, true)));
    EXPECT_FALSE(store.openPage(otherPage(1)).value());
    EXPECT_TRUE(store.openPage(roofPage()).value());
    EXPECT_TRUE(store.openPage(shellPage(1, true)).value());
    EXPECT_EQ(read(store.pagePath(roofPage())), drawing);
    EXPECT_EQ(QDir(store.folder()).entryList(QDir::Files).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(
        QFileInfo(store.folder()).dir().filePath(QStringLiteral("C1_L2_T3_O01.tmp"))));
    EXPECT_TRUE(QDir(other.folder()).isEmpty());

    const QString folder = store.folder();
    {
        GraphicStore gone(GraphicStore::Owner::Tank, 3, prefix(1, 2, 3));
        ASSERT_TRUE(gone.LoadGraphicsFromDb(file.path()));
        ASSERT_TRUE(gone.openPage(roofPage()));
        EXPECT_FALSE(QDir(gone.folder()).isEmpty());
    }
    EXPECT_TRUE(QFileInfo::exists(folder)); // only its own folder goes with a store
}

// Saved pages are stored in the caller's transaction: a changed page updates its row, a new
// shell page gets its type from rollout or plate; a failure later in the transaction leaves
// every row as it was.
TEST_F(GraphicStoreTest, SavingStoresNewAndChangedPagesInOneTransaction) {
    addPage(3, QStringLiteral("C1_L2_T3_Roof.tmp"), QStringLiteral("old roof"));
    GraphicStore store(GraphicStore::Owner::Tank, 3, prefix(1, 2, 3));
    ASSERT_TRUE(store.LoadGraphicsFromDb(file.path()));
    write(store.pagePath(roofPage()), drawing);
    write(store.pagePath(shellPage(3, true)), QStringLiteral("plate 3"));
    write(store.pagePath(shellPage(3, false)), QStringLiteral("rollout 3"));
    for (const QString& page : {roofPage(), shellPage(3, true), shellPage(3, false), roofPage()})
        store.markSaved(page);
    EXPECT_EQ(store.savedPages().size(), 3);

    Database db = file.open();
    const Status failed = db.transaction([&]() -> Status {
        if (Status s = store.SaveGraphicsToDb(db); !s)
            return s;
        return Error{QStringLiteral("a later step failed")};
    });
    EXPECT_FALSE(failed);
    EXPECT_EQ(stored(QStringLiteral("C1_L2_T3_Roof.tmp"), "Graphic"), QStringLiteral("old roof"));
    EXPECT_EQ(file.count(QStringLiteral("TGraphic")), 1);

    ASSERT_TRUE(db.transaction([&] { return store.SaveGraphicsToDb(db); }));
    EXPECT_EQ(stored(QStringLiteral("C1_L2_T3_Roof.tmp"), "Graphic"), drawing);
    EXPECT_EQ(stored(QStringLiteral("C1_L2_T3_S53.tmp"), "GraphicType").toInt(), 2);
    EXPECT_EQ(stored(QStringLiteral("C1_L2_T3_S03.tmp"), "GraphicType").toInt(), 1);
    EXPECT_EQ(stored(QStringLiteral("C1_L2_T3_S03.tmp"), "TankID").toInt(), 3);
    EXPECT_EQ(file.count(QStringLiteral("TGraphic")), 3);

    // Reopened, the page is the same to the last byte.
    GraphicStore again(GraphicStore::Owner::Tank, 3, prefix(1, 2, 3));
    ASSERT_TRUE(again.LoadGraphicsFromDb(file.path()));
    ASSERT_TRUE(again.openPage(roofPage()));
    EXPECT_EQ(read(again.pagePath(roofPage())), drawing);
}

// A label stored twice, as years of use leave some databases: the later row is the page shown,
// so it is also the row a save changes, and the page reopens as it was saved.
TEST_F(GraphicStoreTest, ALabelStoredTwiceIsShownAndSavedAsItsLaterRow) {
    const QString o2 = QStringLiteral("C1_L2_T3_O02.tmp");
    addPage(3, o2, QStringLiteral("earlier"));
    addPage(3, o2, QStringLiteral("later"));
    addPage(3, QStringLiteral("C1_L2_T3_O07.tmp"), QStringLiteral("seven"));
    GraphicStore store(GraphicStore::Owner::Tank, 3, prefix(1, 2, 3));
    auto loaded = store.LoadGraphicsFromDb(file.path());
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(loaded->pages, 2);
    EXPECT_EQ(loaded->otherPages, 2);
    EXPECT_EQ(loaded->shellPages, 0);
    EXPECT_TRUE(loaded->skipped.isEmpty());
    EXPECT_EQ(store.lastOtherPage(), 7);
    ASSERT_TRUE(store.openPage(otherPage(2)).value());
    EXPECT_EQ(read(store.pagePath(otherPage(2))), QStringLiteral("later"));

    write(store.pagePath(otherPage(2)), drawing);
    store.markSaved(otherPage(2));
    Database db = file.open();
    ASSERT_TRUE(db.transaction([&] { return store.SaveGraphicsToDb(db); }));
    QStringList rows;
    auto texts = db.exec(QStringLiteral("SELECT Graphic FROM TGraphic WHERE GraphicLabel = ? "
                                        "ORDER BY rowid"),
                         {o2});
    while (texts && texts->next())
        rows << texts->value(0).toString();
    EXPECT_EQ(rows, QStringList({QStringLiteral("earlier"), drawing}));

    GraphicStore again(GraphicStore::Owner::Tank, 3, prefix(1, 2, 3));
    ASSERT_TRUE(again.LoadGraphicsFromDb(file.path()));
    ASSERT_TRUE(again.openPage(otherPage(2)).value());
    EXPECT_EQ(read(again.pagePath(otherPage(2))), drawing);
}

} // namespace
} // namespace korvane
