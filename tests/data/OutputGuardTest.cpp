#include "data/OutputGuard.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

namespace korvane {
namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// One file is one file whatever leads to it; two files side by side in one folder are two. An
// output that is the database is refused even with --force; an earlier output of the same kind is
// written over; another file only with --force.
TEST(OutputGuard, TheDatabaseIsNeverAnOutputAndOtherFilesOnlyTheirOwnKind) {
    test::TempDir dir;
    const QString db = dir.filePath("plant.mdb");
    write(db, "SQLite format 3");
    write(dir.filePath("old.pdf"), "%PDF-1.4 earlier report");
    write(dir.filePath("notes.txt"), "the inspector's notes");
    write(dir.filePath("empty.pdf"), "");
    QDir().mkpath(dir.filePath("sub"));
    ASSERT_EQ(::symlink(db.toLocal8Bit().constData(), dir.filePath("link.mdb").toLocal8Bit()), 0);
    ASSERT_EQ(::link(db.toLocal8Bit().constData(), dir.filePath("hard.mdb").toLocal8Bit()), 0);

    const std::vector<InputFile> inputs{{db, QStringLiteral("the database")}};
    const struct {
        const char* path;
        bool force;
        bool written; // whether the output may be written
    } cases[] = {
        {"plant.mdb", true, false}, {"sub/../plant.mdb", true, false}, {"link.mdb", true, false},
        {"hard.mdb", true, false},  {"old.pdf", false, true},          {"empty.pdf", false, true},
        {"new.pdf", false, true},   {"notes.txt", false, false},       {"notes.txt", true, true},
        {"sub", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.force ? " --force" : ""));
        const QString path = dir.filePath(c.path);
        const Status checked = checkOutputFile(path, inputs, pdfOutput(), c.force);
        EXPECT_EQ(checked.ok(), c.written) << (checked ? "" : checked.error().toStdString());
        if (!checked && QLatin1String(c.path).endsWith(QLatin1String(".mdb"))) {
            EXPECT_TRUE(
                checked.error().contains(QStringLiteral("is the same file as the database")))
                << checked.error().toStdString();
        }
    }
    EXPECT_TRUE(isSameFile(db, dir.filePath("sub/../link.mdb")));
    EXPECT_FALSE(isSameFile(db, dir.filePath("old.pdf")));
    EXPECT_FALSE(isSameFile(dir.filePath("old.pdf"), dir.filePath("notes.txt")));
    EXPECT_FALSE(isSameFile(db, dir.filePath("missing.mdb")));
    EXPECT_EQ(QFile(db).size(), 15); // nothing was written by a check
}

} // namespace
} // namespace korvane
