#pragma once

#include "platform/Services.h"
#include "platform/Session.h"
#include "storage/HistoryView.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace korvane {

class HistoryModel;

// The "History" window (FormHistory) of a tank or an inspection: every recorded change to its
// records, newest first, one row per row added or deleted and per field changed, with the values
// in the units of the program. The rows can be narrowed to one field (List_Field) and to one
// person (List_Person); "Export..." writes the rows shown to a new CSV file.
class HistoryWindow : public QDialog {
    Q_OBJECT

public:
    // `subject` names what the history is of, for the title and the export file:
    // "Tank T-101", "Inspection 2024-01". `none` is the sentence shown when nothing is recorded.
    HistoryWindow(Session& session, Services& services, const QString& subject, const QString& none,
                  QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Shows the changes, in the order given (newest first), and fills the filter lists.
    void setEntries(std::vector<history::Entry> entries, const history::DisplayContext& context);

private slots:
    void filterChanged();
    void Cmd_Export_Click();

private:
    Session& session_;
    Services& services_;
    QString subject_;
    std::vector<history::Entry> entries_;
    history::DisplayContext context_;

    HistoryModel* model_ = nullptr;
    QTableView* Grid_History = nullptr;
    QLabel* Label_Empty = nullptr;
    QComboBox* List_Field = nullptr;
    QComboBox* List_Person = nullptr;
    QPushButton* Cmd_Export = nullptr;
    QPushButton* Cmd_Close = nullptr;
};

// Reads the history of a tank or an inspection and opens the window over `opener`, in the units
// of the session; a history that cannot be read is shown as a message instead. `name` is the
// tank's name or the inspection's number.
void showHistory(QWidget& opener, Session& session, Services& services, HistoryOf of, qint32 id,
                 const QString& name);

// The History window as the windows' service opens it.
class HistoryWindowShower final : public HistoryShower {
public:
    void showHistory(QWidget& opener, Session& session, Services& services, HistoryOf of, qint32 id,
                     const QString& name) override;
};

} // namespace korvane
