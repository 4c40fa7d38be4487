#include "history/HistoryWindow.h"

#include "data/Database.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/SheetExport.h"
#include "platform/WindowControls.h"

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QVBoxLayout>

namespace korvane {

namespace {

const QString WindowCaption = QStringLiteral("History");
const QString ExportTitle = QStringLiteral("Export History");
const QString AllFields = QStringLiteral("(All fields)");
const QString Everyone = QStringLiteral("(Everyone)");

// Values longer than this show whole in their tool tip; the grid's rows are one line high.
constexpr qsizetype LongValue = 40;

} // namespace

// The rows shown, one line each: a value's line breaks show as blanks, and a long value shows
// whole in its tool tip.
class HistoryModel final : public QAbstractTableModel {
public:
    explicit HistoryModel(QObject* parent) : QAbstractTableModel(parent) {}

    void setRows(std::vector<history::Row> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    const std::vector<history::Row>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : history::column::Count;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
            return {};
        const QString& text = rows_[static_cast<std::size_t>(index.row())]
                                  .cells[static_cast<std::size_t>(index.column())];
        const bool multiline = text.contains(QLatin1Char('\n'));
        if (role == Qt::DisplayRole)
            return multiline ? QString(text).replace(QRegularExpression(QStringLiteral("\\s+")),
                                                     QStringLiteral(" "))
                             : text;
        if (role == Qt::ToolTipRole && (text.size() > LongValue || multiline))
            return text;
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        return history::columnTitles().value(section);
    }

private:
    std::vector<history::Row> rows_;
};

HistoryWindow::HistoryWindow(Session& session, Services& services, const QString& subject,
                             const QString& none, QWidget* parent)
    : QDialog(parent), session_(session), services_(services), subject_(subject) {
    setObjectName(QStringLiteral("FormHistory"));
    setWindowTitle(WindowCaption + QStringLiteral(" - ") + subject);
    setModal(true);

    List_Field = new QComboBox(this);
    List_Field->setObjectName(QStringLiteral("List_Field"));
    List_Field->setToolTip(QStringLiteral("Show the changes of one field only"));
    List_Person = new QComboBox(this);
    List_Person->setObjectName(QStringLiteral("List_Person"));
    List_Person->setToolTip(QStringLiteral("Show the changes one person made only"));
    for (QComboBox* list : {List_Field, List_Person})
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* fieldLabel = new QLabel(QStringLiteral("&Field"), this);
    fieldLabel->setBuddy(List_Field);
    auto* personLabel = new QLabel(QStringLiteral("&Person"), this);
    personLabel->setBuddy(List_Person);

    Label_Empty = new QLabel(none, this);
    Label_Empty->setObjectName(QStringLiteral("Label_Empty"));
    Label_Empty->setWordWrap(true);
    Label_Empty->hide();

    model_ = new HistoryModel(this);
    Grid_History = new QTableView(this);
    Grid_History->setObjectName(QStringLiteral("Grid_History"));
    Grid_History->setModel(model_);
    setUpRowGrid(*Grid_History);
    QHeaderView* header = Grid_History->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(history::column::Before, QHeaderView::Interactive);
    header->setSectionResizeMode(history::column::After, QHeaderView::Stretch);
    header->resizeSection(history::column::Before, 220);

    Cmd_Export =
        commandButton(this, "Cmd_Export", QStringLiteral("&Export..."),
                      QStringLiteral("Write the changes shown to a CSV file or an Excel workbook"));
    Cmd_Close = commandButton(this, "Cmd_Close", QStringLiteral("Close"));
    connect(List_Field, &QComboBox::currentIndexChanged, this, &HistoryWindow::filterChanged);
    connect(List_Person, &QComboBox::currentIndexChanged, this, &HistoryWindow::filterChanged);
    connect(Cmd_Export, &QPushButton::clicked, this, &HistoryWindow::Cmd_Export_Click);
    connect(Cmd_Close, &QPushButton::clicked, this, &QDialog::accept);

    auto* filters = new QHBoxLayout;
    filters->addWidget(fieldLabel);
    filters->addWidget(List_Field);
    filters->addSpacing(16);
    filters->addWidget(personLabel);
    filters->addWidget(List_Person);
    filters->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Export);
    buttons->addStretch();
    buttons->addWidget(Cmd_Close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(Label_Empty);
    layout->addWidget(Grid_History, 1);
    layout->addLayout(buttons);
    Cmd_Close->setDefault(true);
    orderFocusByLayout(*this);
    resize(1100, 560);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::setEntries(std::vector<history::Entry> entries,
                               const history::DisplayContext& context) {
    entries_ = std::move(entries);
    context_ = context;
    const QSignalBlocker fieldsQuiet(List_Field);
    const QSignalBlocker peopleQuiet(List_Person);
    List_Field->clear();
    List_Field->addItem(AllFields);
    List_Field->addItems(history::fieldCaptions(entries_, context_));
    List_Person->clear();
    List_Person->addItem(Everyone);
    List_Person->addItems(history::people(entries_));
    Label_Empty->setVisible(entries_.empty());
    for (QWidget* w : std::initializer_list<QWidget*>{List_Field, List_Person, Cmd_Export})
        w->setEnabled(!entries_.empty());
    filterChanged();
}

void HistoryWindow::filterChanged() {
    history::Filter filter;
    if (List_Field->currentIndex() > 0)
        filter.field = List_Field->currentText();
    if (List_Person->currentIndex() > 0)
        filter.person = List_Person->currentText();
    model_->setRows(history::displayRows(entries_, context_, filter));
}

void HistoryWindow::Cmd_Export_Click() {
    exportSheet(*this, services_, ExportTitle,
                exportSuggestion(session_.DatabaseName, QStringLiteral("History - ") + subject_,
                                 QStringLiteral("csv")),
                [this] { return history::sheet(model_->rows()); });
}

void showHistory(QWidget& opener, Session& session, Services& services, HistoryOf of, qint32 id,
                 const QString& name) {
    const bool tank = of == HistoryOf::Tank;
    const QString subject = (tank ? QStringLiteral("Tank ") : QStringLiteral("Inspection ")) + name;
    HistoryWindow window(session, services, subject,
                         tank ? QStringLiteral("No changes are recorded for this tank.")
                              : QStringLiteral("No changes are recorded for this inspection."),
                         &opener);
    Status loaded = [&]() -> Status {
        BusyScope busy(services.pointer, opener);
        auto db = Database::open(session.DatabaseName);
        if (!db)
            return db.takeError();
        auto context = history::readDisplayContext(*db);
        if (!context)
            return context.takeError();
        // The values are shown in the units the opener works in.
        context->unitsUS = session.UnitsUS;
        auto entries = tank ? history::readForTank(*db, id) : history::readForInspection(*db, id);
        if (!entries)
            return entries.takeError();
        window.setEntries(std::move(entries.value()), *context);
        return {};
    }();
    if (!loaded) {
        services.prompts.message(loaded.error(), QStringLiteral("Error Accessing Record"),
                                 Prompts::Icon::Exclamation);
        return;
    }
    showChildWindow(services, opener, window);
}

void HistoryWindowShower::showHistory(QWidget& opener, Session& session, Services& services,
                                      HistoryOf of, qint32 id, const QString& name) {
    korvane::showHistory(opener, session, services, of, id, name);
}

} // namespace korvane
