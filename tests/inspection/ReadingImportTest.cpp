#include "InspectionWindowFixture.h"
#include "data/Database.h"
#include "data/FieldValue.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace korvane::test {
namespace {

using Answer = Prompts::Answer;

// T-101 of the inspection fixture with 300 points read on 01/Mar/2021: C1-001 .. C1-100 on
// course 1 at 0.400 in, C2-... on course 2 at 0.380, C3-... on course 3 at 0.350.
class ReadingImportTest : public InspectionWindowTest {
protected:
    ReadingImportTest() {
        Database db = file.open();
        const QStringList fields{"InspectionID", "PointID", "Course", "Reading", "DateTaken"};
        const QVariant date =
            *fieldvalue::toStored(QStringLiteral("01/Mar/2021"), layout::FieldType::Date, {});
        const Status added = db.transaction([&]() -> Status {
            for (int course = 1; course <= 3; ++course)
                for (int n = 1; n <= 100; ++n)
                    if (auto row = db.insertRow(
                            QStringLiteral("Thickness"), fields,
                            {i2023, point(course, n), course + 1, previous(course), date});
                        !row)
                        return row.takeError();
            return {};
        });
        EXPECT_TRUE(added.ok()) << added.error().toStdString();
    }
    static QString point(int course, int n) {
        return QStringLiteral("C%1-%2").arg(course).arg(n, 3, 10, QLatin1Char('0'));
    }
    static double previous(int course) { return course == 1 ? 0.400 : course == 2 ? 0.380 : 0.350; }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    // Opens a new inspection numbered I-2024 of 05/Mar/2024 by J. Ames.
    void openNewInspection() {
        openInspection(0);
        typeInto("Text_IDate", QStringLiteral("05/Mar/2024"));
        typeInto("Text_INum", QStringLiteral("I-2024"));
        combo("List_InspType")->setCurrentIndex(3);
        typeInto("Text_IBy", QStringLiteral("J. Ames"));
    }
    static QStringList rowTexts(const QAbstractItemModel* model, int row) {
        QStringList texts;
        for (int c = 0; c < model->columnCount(); ++c)
            texts << model->index(row, c).data().toString();
        return texts;
    }
    template <class T> static T* child(QDialog& w, const char* name) {
        T* found = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void choose(QDialog& w, const char* list, int column) {
        auto* box = child<QComboBox>(w, list);
        box->setCurrentIndex(box->findData(column));
    }

    TempDir dir;
};

// A gauge's day of 300 readings with five slips in it, exported by German software (semicolons,
// decimal commas, titles that say nothing to us): the columns are chosen once, the review shows
// exactly the five slips, and the other 295 are stored with their history. The rows not stored
// go back as a CSV file, and the next file of the same layout is read with the same columns.
TEST_F(ReadingImportTest, ADayOfReadingsWithFiveSlipsIsCheckedAndStored) {
    QByteArray csv = "TML;Wert;Einheit;Lage;Datum\n";
    QStringList slipLines;
    for (int course = 1; course <= 3; ++course)
        for (int n = 1; n <= 100; ++n) {
            QString id = point(course, n);
            double value = previous(course) - 0.006;
            const int line = (course - 1) * 100 + n + 1;
            if (line == 12)
                value = 0.04; // a dropped digit
            else if (line == 60)
                value = 10.01; // millimetres in an inch file
            else if (line == 130)
                value = 0.420; // thicker than 0.380
            else if (line == 200)
                id = QStringLiteral("C2-O99"); // a letter O for the zero
            else if (line == 250)
                value = 0.235; // a third of 0.350 gone
            csv += QStringLiteral("%1;%2;in;C%3;05.03.2024\n")
                       .arg(id, QString::number(value, 'f', 3).replace(u'.', u','))
                       .arg(course)
                       .toUtf8();
        }
    csv.replace("05.03.2024", "05/03/2024");
    const QString path = writeFile(QStringLiteral("gauge day.csv"), csv);
    const QString rejectedPath = dir.filePath(QStringLiteral("back to the inspector.csv"));
    const qint64 before = file.count(QStringLiteral("Thickness"));
    openNewInspection();

    t.prompts.answerOpenFile(path);
    t.windows.expect([&](QDialog& w) {
        w.show();
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Import Readings - gauge day.csv"));
        EXPECT_EQ(child<QLabel>(w, "Label_File")->text(),
                  QStringLiteral("gauge day.csv: 301 rows, 5 columns (UTF-8, \";\" between "
                                 "cells)"));
        // The titles say nothing we know; the cells tell the point and the thickness.
        EXPECT_TRUE(child<QCheckBox>(w, "Chk_Header")->isChecked());
        EXPECT_EQ(child<QComboBox>(w, "List_Point")->currentText(), QStringLiteral("A: TML"));
        EXPECT_EQ(child<QComboBox>(w, "List_Thickness")->currentText(), QStringLiteral("B: Wert"));
        EXPECT_EQ(child<QComboBox>(w, "List_Date")->currentText(),
                  QStringLiteral("(the session's: 05/Mar/2024)"));
        EXPECT_EQ(child<QComboBox>(w, "List_TakenBy")->currentText(),
                  QStringLiteral("(the session's: J. Ames)"));
        choose(w, "List_Unit", 2);
        choose(w, "List_Course", 3);
        choose(w, "List_Date", 4);
        auto* preview = child<QTableWidget>(w, "Grid_Preview");
        EXPECT_EQ(preview->horizontalHeaderItem(3)->text(), QStringLiteral("Course\nD: Lage"));
        EXPECT_EQ(preview->item(0, 0)->text(), QStringLiteral("C1-001"));
        EXPECT_EQ(preview->verticalHeaderItem(0)->text(), QStringLiteral("2"));
        child<QPushButton>(w, "Cmd_Check")->click();

        auto* grid = child<QTableView>(w, "Grid_Review");
        const QAbstractItemModel* m = grid->model();
        EXPECT_EQ(child<QLabel>(w, "Label_Summary")->text(),
                  QStringLiteral("300 rows: 295 pass every check, 4 in red (likely slips: look "
                                 "before accepting), 1 in amber, 0 cannot be stored.  <b>295 "
                                 "accepted.</b>"));
        QStringList flagged;
        for (int r = 0; r < m->rowCount(); ++r)
            if (!m->index(r, 8).data().toString().isEmpty()) {
                flagged << m->index(r, 1).data().toString() + QStringLiteral(": ") +
                               m->index(r, 8).data().toString();
                EXPECT_EQ(m->index(r, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
            }
        EXPECT_EQ(
            flagged,
            (QStringList{"12: below half the course 1 minimum of 0.300 (0.040): implausible; "
                         "thinner than 2021 (0.400 -> 0.040): 90% lost, a likely slip",
                         "60: looks like millimetres, not inches: 10.010 millimetres is 0.394 in",
                         "130: thicker than 2021 (0.380 -> 0.420)",
                         "200: new point; the tank has C2-099",
                         "250: thinner than 2021 (0.350 -> 0.235): 33% lost, a likely slip"}));
        // The first and the last row, every column as shown.
        EXPECT_EQ(rowTexts(m, 0), (QStringList{"", "2", "C1-001", "0,394", "0.394", "Course 1",
                                               "05/Mar/2024", "J. Ames", ""}));
        EXPECT_EQ(rowTexts(m, 299), (QStringList{"", "301", "C3-100", "0,344", "0.344", "Course 3",
                                                 "05/Mar/2024", "J. Ames", ""}));
        EXPECT_EQ(m->index(299, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        EXPECT_EQ(m->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Reading (in.)"));
        EXPECT_EQ(m->index(10, 8).data(Qt::ForegroundRole).value<QColor>(), QColor(204, 0, 0));
        EXPECT_EQ(m->index(128, 8).data(Qt::ForegroundRole).value<QColor>(), QColor(176, 104, 0));

        // Stored: 295 readings; the five rows go back to the inspector.
        t.prompts.answerMessage(Answer::Yes).answerSaveFile(rejectedPath).answerMessage();
        child<QPushButton>(w, "Cmd_OK")->click();
        EXPECT_EQ(t.prompts.messages().at(0).text,
                  QStringLiteral("295 readings were stored.  5 rows were not.\n\nSave the rows "
                                 "not stored as a CSV file to send back?"));
        return w.result();
    });
    click("Cmd_Import");
    EXPECT_EQ(t.windows.shown(), 1);
    EXPECT_TRUE(t.prompts.allAnswered());

    const qint32 id = session.CurInspectionID;
    EXPECT_EQ(inspectionField(id, "InspectionNum"), QStringLiteral("I-2024"));
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), before + 295);
    auto stored = file.open().firstValue(
        QStringLiteral("SELECT COUNT(*) FROM Thickness WHERE InspectionID = ? AND TakenBy = "
                       "'J. Ames' AND DateTaken = '2024-03-05'"),
        {id});
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->toInt(), 295);
    // In Readings for this tank and in the history of the inspection.
    EXPECT_EQ(tankReadings()->model()->rowCount(), 1 + 300 + 295);
    auto entries = history::readForInspection(file.open(), id);
    ASSERT_TRUE(entries.ok());
    const auto added = std::count_if(entries->begin(), entries->end(), [](const auto& e) {
        return e.table == QLatin1String("Thickness") && e.action == history::Action::Added;
    });
    EXPECT_EQ(added, 295);

    QFile rejected(rejectedPath);
    ASSERT_TRUE(rejected.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(rejected.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7); // the titles, five rows and the end
    EXPECT_EQ(lines[0], QStringLiteral("Line,PointID,Thickness,Unit,Course,Date,TakenBy,Reason"));
    EXPECT_EQ(lines[4], QStringLiteral("200,C2-O99,\"0,374\",in,Course 2,05/Mar/2024,J. Ames,new "
                                       "point; the tank has C2-099"));

    // The next file of this layout is read with the columns chosen for this one.
    const QString next = writeFile(QStringLiteral("next day.csv"),
                                   "TML;Wert;Einheit;Lage;Datum\nC1-001;0,390;in;C1;06/03/2024\n");
    t.prompts.answerOpenFile(next);
    t.windows.expect([&](QDialog& w) {
        EXPECT_EQ(child<QComboBox>(w, "List_Unit")->currentText(), QStringLiteral("C: Einheit"));
        EXPECT_EQ(child<QComboBox>(w, "List_Course")->currentText(), QStringLiteral("D: Lage"));
        EXPECT_EQ(child<QComboBox>(w, "List_Date")->currentText(), QStringLiteral("E: Datum"));
        return int(QDialog::Rejected);
    });
    click("Cmd_Import");
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), before + 295);
}

// In a metric database readings are shown in millimetres; a row that looks like the other unit
// is read in it on request and then stored; a file that cannot be read says why and nothing
// opens.
TEST_F(ReadingImportTest, MetricReviewAndTheOtherUnitOnRequest) {
    session.UnitsUS = false;
    const QString path = writeFile(QStringLiteral("metric.csv"),
                                   "Point,Thickness,Unit\nC1-001,10.01,mm\nC3-100,0.344,mm\n");
    openNewInspection();
    t.prompts.answerOpenFile(path);
    t.windows.expect([&](QDialog& w) {
        w.show();
        EXPECT_EQ(child<QComboBox>(w, "List_Unit")->currentText(), QStringLiteral("C: Unit"));
        child<QPushButton>(w, "Cmd_Check")->click();
        const QAbstractItemModel* m = child<QTableView>(w, "Grid_Review")->model();
        EXPECT_EQ(m->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Reading (mm)"));
        EXPECT_EQ(rowTexts(m, 0), (QStringList{"", "2", "C1-001", "10.01", "10.01", "Course 1",
                                               "05/Mar/2024", "J. Ames", ""}));
        EXPECT_EQ(
            rowTexts(m, 1),
            (QStringList{"", "3", "C3-100", "0.344", "0.34", "Course 3", "05/Mar/2024", "J. Ames",
                         "looks like inches, not millimetres: 0.34 inches is 8.74 mm"}));
        // Space ticks the chosen row, and again unticks it.
        auto* grid = child<QTableView>(w, "Grid_Review");
        grid->selectRow(1);
        QTest::keyClick(grid, Qt::Key_Space);
        EXPECT_EQ(m->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        QTest::keyClick(grid, Qt::Key_Space);
        EXPECT_EQ(m->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
        child<QPushButton>(w, "Cmd_Convert")->click();
        EXPECT_EQ(rowTexts(m, 1)[4], QStringLiteral("8.74"));
        EXPECT_EQ(rowTexts(m, 1)[8], QString());
        EXPECT_EQ(m->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        child<QPushButton>(w, "Cmd_OK")->click();
        return w.result();
    });
    click("Cmd_Import");
    const auto storedReading = [&](const char* point) {
        auto value = file.open().firstValue(
            QStringLiteral("SELECT Reading FROM Thickness WHERE PointID = ? AND DateTaken = "
                           "'2024-03-05'"),
            {QString::fromLatin1(point)});
        EXPECT_TRUE(value.ok());
        return value.ok() ? value->toDouble() : 0.0;
    };
    EXPECT_NEAR(storedReading("C1-001"), 10.01 / 25.399986, 1e-12);
    EXPECT_DOUBLE_EQ(storedReading("C3-100"), 0.344);

    t.prompts.answerOpenFile(dir.filePath(QStringLiteral("gone.xlsx"))).answerMessage();
    click("Cmd_Import");
    EXPECT_TRUE(t.prompts.messages().back().text.startsWith(
        QStringLiteral("\"gone.xlsx\" cannot be read: ")));
}

// A typed reading is checked as it is typed; an amber flag is stored with it, a red one is asked
// about first (the other unit offered), and the tank's readings show the flags in their colour.
TEST_F(ReadingImportTest, TypedReadingsAreCheckedBeforeTheyAreStored) {
    openNewInspection();
    click("Cmd_AddThickness");
    typeInto("Text_TTakenBy", QStringLiteral("A. Smith"));
    typeInto("Text_TDateTaken", QStringLiteral("05/Mar/2024"));
    auto* label = find<QLabel>("Label_Check");

    enterReading(2, QStringLiteral("C1-001"), QStringLiteral("0.420"), "Cmd_Next");
    EXPECT_TRUE(t.prompts.messages().empty());
    auto checks = file.open().firstValue(QStringLiteral(
        "SELECT Checks FROM Thickness WHERE PointID = 'C1-001' AND DateTaken = '2024-03-05'"));
    ASSERT_TRUE(checks.ok());
    EXPECT_EQ(checks->toString(), QStringLiteral("thicker: thicker than 2021 (0.400 -> 0.420)"));

    // Millimetres typed in inches: converted on Yes, stored without a flag.
    combo("List_Course")->setCurrentIndex(3);
    typeInto("Text_PointID", QStringLiteral("C2-001"));
    typeInto("Text_Thickness", QStringLiteral("9.50"));
    EXPECT_FALSE(label->isHidden());
    EXPECT_EQ(label->text(),
              QStringLiteral("looks like millimetres, not inches: 9.500 millimetres is 0.374 in"));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(204, 0, 0));
    t.prompts.answerMessage(Answer::Yes);
    click("Cmd_Next");
    EXPECT_EQ(t.prompts.messages().back().text,
              QStringLiteral("This reading looks like millimetres, not inches: 9.500 millimetres "
                             "is 0.374 in.\n\nStore it as 0.374 in instead?"));
    EXPECT_NEAR(sessionGrid()->item(1, 2)->text().toDouble(), 0.374, 1e-9);

    // A dropped digit: Cancel keeps it for correcting, OK stores it with its reasons.
    combo("List_Course")->setCurrentIndex(4);
    typeInto("Text_PointID", QStringLiteral("C3-001"));
    typeInto("Text_Thickness", QStringLiteral("0.034"));
    t.prompts.answerMessage(Answer::Cancel);
    click("Cmd_Done");
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Check Reading"));
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("Text_Thickness"));
    EXPECT_EQ(sessionGrid()->rowCount(), 2);
    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_Done");
    EXPECT_EQ(sessionGrid()->rowCount(), 3);
    EXPECT_TRUE(label->isHidden());

    const QAbstractItemModel* m = tankReadings()->model();
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Check"));
    QStringList shown;
    for (int r = 0; r < m->rowCount(); ++r)
        if (!m->index(r, 3).data().toString().isEmpty())
            shown << rowTexts(m, r).join(QLatin1Char('|'));
    EXPECT_EQ(shown, (QStringList{"05/Mar/2024|C1-001|0.420|thicker than 2021 (0.400 -> 0.420)",
                                  "05/Mar/2024|C3-001|0.034|below half the course 3 minimum of "
                                  "0.250 (0.034): implausible; thinner than 2021 (0.350 -> "
                                  "0.034): 90% lost, a likely slip"}));
}

} // namespace
} // namespace korvane::test
