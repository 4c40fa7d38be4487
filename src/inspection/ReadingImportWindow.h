#pragma once

#include "common/Result.h"
#include "engineering/ReadingChecks.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "readingfile/ReadingMapping.h"

#include <QDialog>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;
class QTableWidget;

namespace korvane {

class ReviewModel;

// "Import Readings": the readings of a thickness gauge's file stored as readings of the open
// inspection (Session::CurInspectionID) of the current tank, in two steps. First the user says
// which column holds what, seeing the file's first rows (the choice is remembered for files of
// the same layout); then every row is shown with its checks, and the user accepts all, some or
// none. The accepted rows are stored in one transaction with their history; the rest can be
// saved as a CSV file to send back.
class ReadingImportWindow : public QDialog {
    Q_OBJECT

public:
    // What the session gives rows that no column gives: the inspection's date and inspector.
    struct Defaults {
        QDate date;
        QString takenBy;
    };

    ReadingImportWindow(Session& session, Services& services, readingfile::Table table,
                        const QString& fileName, const Defaults& defaults,
                        QWidget* parent = nullptr);
    ~ReadingImportWindow() override;

    // Reads the tank's readings, minimums and limits the rows are checked against.
    Status load();
    // How many readings "OK" stored.
    int storedCount() const { return stored_; }

protected:
    // Space in the review grid ticks or unticks the chosen rows.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void mappingChanged();
    void Cmd_Check_Click();
    void Cmd_Back_Click();
    void Cmd_AcceptAll_Click();
    void Cmd_AcceptNone_Click();
    void Cmd_Convert_Click();
    void Cmd_SaveRejected_Click();
    void Cmd_OK_Click();

private:
    void buildMappingPage();
    void buildReviewPage();
    // The mapping as the boxes show it, and the boxes set from a mapping.
    readingfile::Mapping mapping() const;
    void showMapping(const readingfile::Mapping& m);
    void fillPreview();
    // Maps and checks every row again, keeping the user's choices of rows whose checks did not
    // change.
    void checkRows();
    void showSummary();
    std::vector<const readingcheck::Entry*> rejected() const;
    // Asks for a file and writes the rejected rows to it; false when nothing was written.
    bool saveRejected();

    Session& session_;
    Services& services_;
    readingfile::Table table_;
    QString fileName_;
    Defaults defaults_;
    readingcheck::TankFacts facts_;
    std::vector<readingcheck::Entry> entries_;
    std::vector<char> accepted_;
    int stored_ = 0;
    bool showing_ = false; // boxes being set from a mapping

    QStackedWidget* Pages = nullptr;
    QLabel* Label_File = nullptr;
    QCheckBox* Chk_Header = nullptr;
    QComboBox* List_Point = nullptr;
    QComboBox* List_Thickness = nullptr;
    QComboBox* List_Unit = nullptr;
    QComboBox* List_FileUnit = nullptr;
    QComboBox* List_Course = nullptr;
    QComboBox* List_Date = nullptr;
    QComboBox* List_TakenBy = nullptr;
    QTableWidget* Grid_Preview = nullptr;
    QPushButton* Cmd_Check = nullptr;

    QLabel* Label_Summary = nullptr;
    QTableView* Grid_Review = nullptr;
    ReviewModel* review_ = nullptr;
    QPushButton* Cmd_AcceptAll = nullptr;
    QPushButton* Cmd_AcceptNone = nullptr;
    QPushButton* Cmd_Convert = nullptr;
    QPushButton* Cmd_SaveRejected = nullptr;
    QPushButton* Cmd_Back = nullptr;
    QPushButton* Cmd_OK = nullptr;
};

// Asks for a gauge's file and, when it can be read, shows the import over `opener`. True when
// readings were stored.
bool importReadings(QWidget& opener, Session& session, Services& services,
                    const ReadingImportWindow::Defaults& defaults);

} // namespace korvane
