#include "inspection/ReadingImportWindow.h"

#include "common/DateText.h"
#include "engineering/ThicknessRules.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/WindowControls.h"
#include "selection/InspectionGrids.h"
#include "storage/ReadingImport.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QStackedWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

namespace {

using readingcheck::Entry;
using readingfile::NoColumn;

const QString Title = QStringLiteral("Import Readings");
const QString LayoutsKey = QStringLiteral("ReadingImport/Layouts/");
constexpr int PreviewRows = 12;

enum Column { Accept, Line, Point, Given, Thickness, Course, Date, TakenBy, CheckColumn, Count };

// The caption of a column of the file: its title when the first row holds titles.
// Where the mapping of a file layout is remembered: the layout's key may hold any character, so
// the settings know it by a digest of it.
QString layoutSetting(const readingfile::Table& table, bool titled) {
    const QByteArray digest = QCryptographicHash::hash(
        readingfile::layoutKey(table, titled).toUtf8(), QCryptographicHash::Sha1);
    return LayoutsKey + QString::fromLatin1(digest.toHex());
}

QString columnCaption(const readingfile::Table& table, int column, bool titled) {
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    if (titled && !table.rows.isEmpty() && column < table.rows.first().size() &&
        !table.rows.first()[column].isEmpty())
        return QStringLiteral("%1: %2").arg(letters, table.rows.first()[column]);
    return QStringLiteral("Column %1").arg(letters);
}

} // namespace

// The rows of the review grid: each row of the file with what it stands for, whether it is
// accepted, and its checks in red or amber, or why it cannot be stored.
class ReviewModel final : public QAbstractTableModel {
public:
    ReviewModel(const std::vector<Entry>& entries, std::vector<char>& accepted, bool unitsUS,
                std::function<void()> changed, QObject* parent)
        : QAbstractTableModel(parent), entries_(entries), accepted_(accepted), us_(unitsUS),
          changed_(std::move(changed)) {}

    void reset() {
        beginResetModel();
        endResetModel();
    }
    void acceptedChanged() {
        if (!entries_.empty())
            emit dataChanged(index(0, Accept), index(rowCount() - 1, Accept), {Qt::CheckStateRole});
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(entries_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : Count;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == Accept && entry(index).error.isEmpty())
            f |= Qt::ItemIsUserCheckable;
        return f;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const Entry& e = entry(index);
        const bool red = readingcheck::hasRed(e.flags);
        switch (role) {
        case Qt::CheckStateRole:
            if (index.column() == Accept && e.error.isEmpty())
                return accepted_[static_cast<std::size_t>(index.row())] ? Qt::Checked
                                                                        : Qt::Unchecked;
            return {};
        case Qt::ForegroundRole:
            if (index.column() == CheckColumn && !e.error.isEmpty())
                return QColor(Qt::darkGray);
            if (index.column() == CheckColumn && !e.flags.empty())
                return flagColour(red);
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == Line || index.column() == Thickness || index.column() == Given)
                return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        case Qt::ToolTipRole:
            if (index.column() == CheckColumn)
                return e.error.isEmpty() ? readingcheck::reasons(e.flags)
                                         : QStringLiteral("Cannot be stored: ") + e.error;
            return {};
        case Qt::DisplayRole:
            break;
        default:
            return {};
        }
        switch (index.column()) {
        case Line:
            return e.line;
        case Point:
            return e.pointId;
        case Given:
            return e.typed;
        case Thickness:
            return e.inches ? thickness::shownThickness(*e.inches, us_) : QString();
        case Course:
            return thickness::courseText(e.course);
        case Date:
            return e.date.isValid() ? formatDate(e.date) : QString();
        case TakenBy:
            return e.takenBy;
        case CheckColumn:
            if (!e.error.isEmpty())
                return QStringLiteral("cannot be stored: ") + e.error;
            return readingcheck::reasons(e.flags).replace(QLatin1Char('\n'), QStringLiteral("; "));
        default:
            return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::CheckStateRole || index.column() != Accept || !entry(index).error.isEmpty())
            return false;
        accepted_[static_cast<std::size_t>(index.row())] = value.toInt() == Qt::Checked ? 1 : 0;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        changed_();
        return true;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        switch (section) {
        case Accept:
            return QStringLiteral("Accept");
        case Line:
            return QStringLiteral("Line");
        case Point:
            return QStringLiteral("PointID");
        case Given:
            return QStringLiteral("As Given");
        case Thickness:
            return us_ ? QStringLiteral("Reading (in.)") : QStringLiteral("Reading (mm)");
        case Course:
            return QStringLiteral("Course");
        case Date:
            return QStringLiteral("Date");
        case TakenBy:
            return QStringLiteral("Taken By");
        case CheckColumn:
            return QStringLiteral("Check");
        default:
            return {};
        }
    }

private:
    const Entry& entry(const QModelIndex& index) const {
        return entries_[static_cast<std::size_t>(index.row())];
    }

    const std::vector<Entry>& entries_;
    std::vector<char>& accepted_;
    bool us_;
    std::function<void()> changed_;
};

ReadingImportWindow::ReadingImportWindow(Session& session, Services& services,
                                         readingfile::Table table, const QString& fileName,
                                         const Defaults& defaults, QWidget* parent)
    : QDialog(parent), session_(session), services_(services), table_(std::move(table)),
      fileName_(fileName), defaults_(defaults) {
    setObjectName(QStringLiteral("FormImportReadings"));
    setWindowTitle(Title + QStringLiteral(" - ") + QFileInfo(fileName_).fileName());
    setModal(true);
    Pages = new QStackedWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    buildMappingPage();
    buildReviewPage();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages);
    resize(1000, 640);

    // The mapping last chosen for files of this layout, or a guess from the file itself.
    readingfile::Mapping m = readingfile::guessMapping(table_);
    const QSettings settings;
    for (bool titled : {m.headerRow, !m.headerRow}) {
        const QString remembered = settings.value(layoutSetting(table_, titled)).toString();
        if (const auto known = readingfile::Mapping::fromText(remembered);
            known && known->headerRow == titled) {
            m = *known;
            break;
        }
    }
    showMapping(m);
}

ReadingImportWindow::~ReadingImportWindow() = default;

void ReadingImportWindow::buildMappingPage() {
    auto* page = new QWidget(Pages);
    Label_File = new QLabel(page);
    Label_File->setObjectName(QStringLiteral("Label_File"));
    const QString delimiter = table_.delimiter.isNull() ? QString()
                              : table_.delimiter == u'\t'
                                  ? QStringLiteral(", tabs")
                                  : QStringLiteral(", \"%1\" between cells").arg(table_.delimiter);
    Label_File->setText(QStringLiteral("%1: %2 rows, %3 columns (%4%5)")
                            .arg(QFileInfo(fileName_).fileName())
                            .arg(table_.rows.size())
                            .arg(table_.columnCount())
                            .arg(table_.format, delimiter));
    Chk_Header = new QCheckBox(QStringLiteral("First row holds column &titles"), page);
    Chk_Header->setObjectName(QStringLiteral("Chk_Header"));
    const auto combo = [page](const char* name, const QString& tip) {
        auto* box = new QComboBox(page);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(tip);
        return box;
    };
    List_Point = combo("List_Point", QStringLiteral("The column of point IDs"));
    List_Thickness = combo("List_Thickness", QStringLiteral("The column of thicknesses"));
    List_Unit = combo("List_Unit", QStringLiteral("The column naming each row's unit (in, mm, "
                                                  "inch, ''), or one unit for the file"));
    List_FileUnit = combo("List_FileUnit", QStringLiteral("The unit of rows that name none"));
    List_FileUnit->addItems({QStringLiteral("in."), QStringLiteral("mm")});
    List_Course = combo("List_Course", QStringLiteral("The column of courses (Floor, Course 1, "
                                                      "C1, Roof ...)"));
    List_Date = combo("List_Date", QStringLiteral("The column of dates taken"));
    List_TakenBy = combo("List_TakenBy", QStringLiteral("The column of who took the readings"));

    const int columns = table_.columnCount();
    for (QComboBox* box :
         {List_Point, List_Thickness, List_Unit, List_Course, List_Date, List_TakenBy}) {
        if (box == List_Unit)
            box->addItem(QStringLiteral("(one unit for the file)"), NoColumn);
        else if (box == List_Course)
            box->addItem(QStringLiteral("(from the point's previous readings)"), NoColumn);
        else if (box == List_Date)
            box->addItem(QStringLiteral("(the session's: %1)")
                             .arg(defaults_.date.isValid() ? formatDate(defaults_.date)
                                                           : QStringLiteral("none")),
                         NoColumn);
        else if (box == List_TakenBy)
            box->addItem(
                QStringLiteral("(the session's: %1)")
                    .arg(defaults_.takenBy.isEmpty() ? QStringLiteral("none") : defaults_.takenBy),
                NoColumn);
        else
            box->addItem(QStringLiteral("(choose a column)"), NoColumn);
        for (int c = 0; c < columns; ++c)
            box->addItem(QString(), c);
        connect(box, &QComboBox::currentIndexChanged, this, &ReadingImportWindow::mappingChanged);
    }
    connect(List_FileUnit, &QComboBox::currentIndexChanged, this,
            &ReadingImportWindow::mappingChanged);
    connect(Chk_Header, &QCheckBox::toggled, this, &ReadingImportWindow::mappingChanged);

    Grid_Preview = new QTableWidget(page);
    Grid_Preview->setObjectName(QStringLiteral("Grid_Preview"));
    Grid_Preview->setToolTip(QStringLiteral("The first rows of the file"));
    Grid_Preview->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Point ID"), List_Point);
    form->addRow(QStringLiteral("T&hickness"), List_Thickness);
    auto* units = new QHBoxLayout;
    units->addWidget(List_Unit, 1);
    units->addWidget(new QLabel(QStringLiteral("otherwise"), page));
    units->addWidget(List_FileUnit);
    auto* unitLabel = new QLabel(QStringLiteral("&Unit"), page);
    unitLabel->setBuddy(List_Unit);
    form->addRow(unitLabel, units);
    form->addRow(QStringLiteral("C&ourse"), List_Course);
    form->addRow(QStringLiteral("&Date Taken"), List_Date);
    form->addRow(QStringLiteral("Taken &By"), List_TakenBy);

    Cmd_Check = commandButton(page, "Cmd_Check", QStringLiteral("&Check Readings >"),
                              QStringLiteral("Read every row and check it"));
    Cmd_Check->setDefault(true);
    auto* cancel = commandButton(page, "Cmd_Cancel", QStringLiteral("Cancel"),
                                 QStringLiteral("Store nothing"));
    connect(Cmd_Check, &QPushButton::clicked, this, &ReadingImportWindow::Cmd_Check_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_Check);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label_File);
    layout->addWidget(Chk_Header);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("The first rows of the file:"), page));
    layout->addWidget(Grid_Preview, 1);
    layout->addLayout(buttons);
    Pages->addWidget(page);
}

void ReadingImportWindow::buildReviewPage() {
    auto* page = new QWidget(Pages);
    Label_Summary = new QLabel(page);
    Label_Summary->setObjectName(QStringLiteral("Label_Summary"));
    Label_Summary->setWordWrap(true);
    review_ = new ReviewModel(
        entries_, accepted_, session_.UnitsUS, [this] { showSummary(); }, this);
    Grid_Review = new QTableView(page);
    Grid_Review->setObjectName(QStringLiteral("Grid_Review"));
    Grid_Review->setToolTip(QStringLiteral("Every row of the file with its checks; only the "
                                           "rows ticked are stored"));
    Grid_Review->setModel(review_);
    setUpRowGrid(*Grid_Review);
    Grid_Review->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Grid_Review->horizontalHeader()->setStretchLastSection(true);
    Grid_Review->installEventFilter(this);

    Cmd_AcceptAll = commandButton(page, "Cmd_AcceptAll", QStringLiteral("Accept &All"),
                                  QStringLiteral("Tick every row that can be stored"));
    Cmd_AcceptNone = commandButton(page, "Cmd_AcceptNone", QStringLiteral("Accept &None"),
                                   QStringLiteral("Untick every row"));
    Cmd_Convert = commandButton(page, "Cmd_Convert", QStringLiteral("Use Other &Unit"),
                                QStringLiteral("Read the chosen rows that look like the other "
                                               "unit in that unit"));
    Cmd_SaveRejected =
        commandButton(page, "Cmd_SaveRejected", QStringLiteral("Save &Rejected..."),
                      QStringLiteral("The rows not ticked, with why, as a CSV file to send back"));
    Cmd_Back = commandButton(page, "Cmd_Back", QStringLiteral("< &Back"),
                             QStringLiteral("Choose the columns again"));
    Cmd_OK = commandButton(page, "Cmd_OK", QStringLiteral("&Store Accepted"),
                           QStringLiteral("Store the ticked rows as readings of this inspection"));
    auto* cancel = commandButton(page, "Cmd_ReviewCancel", QStringLiteral("Cancel"),
                                 QStringLiteral("Store nothing"));
    connect(Cmd_AcceptAll, &QPushButton::clicked, this, &ReadingImportWindow::Cmd_AcceptAll_Click);
    connect(Cmd_AcceptNone, &QPushButton::clicked, this,
            &ReadingImportWindow::Cmd_AcceptNone_Click);
    connect(Cmd_Convert, &QPushButton::clicked, this, &ReadingImportWindow::Cmd_Convert_Click);
    connect(Cmd_SaveRejected, &QPushButton::clicked, this,
            &ReadingImportWindow::Cmd_SaveRejected_Click);
    connect(Cmd_Back, &QPushButton::clicked, this, &ReadingImportWindow::Cmd_Back_Click);
    connect(Cmd_OK, &QPushButton::clicked, this, &ReadingImportWindow::Cmd_OK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* choices = new QHBoxLayout;
    choices->addWidget(Cmd_AcceptAll);
    choices->addWidget(Cmd_AcceptNone);
    choices->addWidget(Cmd_Convert);
    choices->addStretch();
    choices->addWidget(Cmd_SaveRejected);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Back);
    buttons->addStretch();
    buttons->addWidget(Cmd_OK);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label_Summary);
    layout->addLayout(choices);
    layout->addWidget(Grid_Review, 1);
    layout->addLayout(buttons);
    Pages->addWidget(page);
}

Status ReadingImportWindow::load() {
    auto facts = readingimport::readTankFacts(session_.DatabaseName, session_.CurTankID);
    if (!facts)
        return facts.takeError();
    facts_ = std::move(facts.value());
    return {};
}

readingfile::Mapping ReadingImportWindow::mapping() const {
    readingfile::Mapping m;
    m.headerRow = Chk_Header->isChecked();
    m.point = List_Point->currentData().toInt();
    m.thickness = List_Thickness->currentData().toInt();
    m.unit = List_Unit->currentData().toInt();
    m.course = List_Course->currentData().toInt();
    m.date = List_Date->currentData().toInt();
    m.takenBy = List_TakenBy->currentData().toInt();
    m.fileUnitUS = List_FileUnit->currentIndex() == 0;
    return m;
}

void ReadingImportWindow::showMapping(const readingfile::Mapping& m) {
    showing_ = true;
    Chk_Header->setChecked(m.headerRow);
    const auto choose = [](QComboBox* box, int column) {
        const int at = box->findData(column);
        box->setCurrentIndex(at >= 0 ? at : 0);
    };
    choose(List_Point, m.point);
    choose(List_Thickness, m.thickness);
    choose(List_Unit, m.unit);
    choose(List_Course, m.course);
    choose(List_Date, m.date);
    choose(List_TakenBy, m.takenBy);
    List_FileUnit->setCurrentIndex(m.fileUnitUS ? 0 : 1);
    showing_ = false;
    mappingChanged();
}

void ReadingImportWindow::mappingChanged() {
    if (showing_)
        return;
    const bool titled = Chk_Header->isChecked();
    for (QComboBox* box :
         {List_Point, List_Thickness, List_Unit, List_Course, List_Date, List_TakenBy})
        for (int i = 1; i < box->count(); ++i)
            box->setItemText(i, columnCaption(table_, box->itemData(i).toInt(), titled));
    List_FileUnit->setEnabled(true);
    const readingfile::Mapping m = mapping();
    Cmd_Check->setEnabled(m.point != NoColumn && m.thickness != NoColumn);
    fillPreview();
}

void ReadingImportWindow::fillPreview() {
    const readingfile::Mapping m = mapping();
    const bool titled = m.headerRow;
    const int columns = table_.columnCount();
    Grid_Preview->clear();
    Grid_Preview->setColumnCount(columns);
    QStringList captions;
    for (int c = 0; c < columns; ++c) {
        QString role;
        if (c == m.point)
            role = QStringLiteral("Point ID");
        else if (c == m.thickness)
            role = QStringLiteral("Thickness");
        else if (c == m.unit)
            role = QStringLiteral("Unit");
        else if (c == m.course)
            role = QStringLiteral("Course");
        else if (c == m.date)
            role = QStringLiteral("Date");
        else if (c == m.takenBy)
            role = QStringLiteral("Taken By");
        const QString caption = columnCaption(table_, c, titled);
        captions << (role.isEmpty() ? caption : role + QStringLiteral("\n") + caption);
    }
    Grid_Preview->setHorizontalHeaderLabels(captions);
    const int first = titled ? 1 : 0;
    const int rows = static_cast<int>(std::min<qsizetype>(table_.rows.size() - first, PreviewRows));
    Grid_Preview->setRowCount(std::max(rows, 0));
    QStringList lines;
    for (int r = 0; r < rows; ++r) {
        const QStringList& row = table_.rows[first + r];
        lines << QString::number(table_.lines.value(first + r));
        for (int c = 0; c < row.size(); ++c)
            Grid_Preview->setItem(r, c, new QTableWidgetItem(row[c]));
    }
    Grid_Preview->setVerticalHeaderLabels(lines);
    Grid_Preview->resizeColumnsToContents();
}

void ReadingImportWindow::checkRows() {
    const readingfile::SessionDefaults defaults{defaults_.date, defaults_.takenBy, facts_.courses,
                                                services_.clock.today()};
    std::vector<Entry> mapped = readingfile::mapRows(table_, mapping(), defaults);
    readingcheck::TankFacts facts = facts_;
    readingcheck::checkEntries(mapped, facts, session_.UnitsUS);
    entries_ = std::move(mapped);
    // Rows that pass every check are ticked; each flagged row waits for the user.
    accepted_.assign(entries_.size(), 0);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        accepted_[i] = entries_[i].error.isEmpty() && entries_[i].flags.empty();
    review_->reset();
    Grid_Review->resizeColumnsToContents();
    showSummary();
}

void ReadingImportWindow::showSummary() {
    int clean = 0, red = 0, amber = 0, errors = 0, accepted = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (!e.error.isEmpty())
            ++errors;
        else if (readingcheck::hasRed(e.flags))
            ++red;
        else if (!e.flags.empty())
            ++amber;
        else
            ++clean;
        accepted += accepted_[i] ? 1 : 0;
    }
    Label_Summary->setText(
        QStringLiteral("%1 rows: %2 pass every check, %3 in red (likely slips: look before "
                       "accepting), %4 in amber, %5 cannot be stored.  <b>%6 accepted.</b>")
            .arg(entries_.size())
            .arg(clean)
            .arg(red)
            .arg(amber)
            .arg(errors)
            .arg(accepted));
    Cmd_OK->setEnabled(accepted > 0);
    Cmd_SaveRejected->setEnabled(accepted < static_cast<int>(entries_.size()));
}

void ReadingImportWindow::Cmd_Check_Click() {
    const readingfile::Mapping m = mapping();
    if (m.point == NoColumn || m.thickness == NoColumn)
        return;
    QSettings().setValue(layoutSetting(table_, m.headerRow), m.toText());
    {
        BusyScope busy(services_.pointer, *this);
        checkRows();
    }
    Pages->setCurrentIndex(1);
    Grid_Review->setFocus();
    if (!entries_.empty())
        Grid_Review->setCurrentIndex(review_->index(0, Accept));
}

void ReadingImportWindow::Cmd_Back_Click() {
    Pages->setCurrentIndex(0);
    List_Point->setFocus();
}

bool ReadingImportWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid_Review && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        std::vector<std::size_t> rows;
        for (const QModelIndex& index : Grid_Review->selectionModel()->selectedRows())
            if (entries_[static_cast<std::size_t>(index.row())].error.isEmpty())
                rows.push_back(static_cast<std::size_t>(index.row()));
        // Any of them unticked: all are ticked; all ticked: all are unticked.
        const bool tick =
            std::any_of(rows.begin(), rows.end(), [this](std::size_t r) { return !accepted_[r]; });
        for (std::size_t r : rows)
            accepted_[r] = tick ? 1 : 0;
        review_->acceptedChanged();
        showSummary();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ReadingImportWindow::Cmd_AcceptAll_Click() {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        accepted_[i] = entries_[i].error.isEmpty();
    review_->acceptedChanged();
    showSummary();
}

void ReadingImportWindow::Cmd_AcceptNone_Click() {
    std::fill(accepted_.begin(), accepted_.end(), 0);
    review_->acceptedChanged();
    showSummary();
}

void ReadingImportWindow::Cmd_Convert_Click() {
    // The chosen rows, or every row when none is chosen.
    std::vector<int> rows;
    for (const QModelIndex& index : Grid_Review->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty())
        for (int r = 0; r < static_cast<int>(entries_.size()); ++r)
            rows.push_back(r);
    int converted = 0;
    for (int r : rows) {
        Entry& e = entries_[static_cast<std::size_t>(r)];
        for (const readingcheck::Flag& f : e.flags)
            if (f.kind == readingcheck::Kind::OtherUnit && f.convertedInches) {
                e.inches = f.convertedInches;
                e.enteredUS = !e.enteredUS;
                ++converted;
                break;
            }
    }
    if (converted == 0) {
        services_.prompts.message(QStringLiteral("None of the rows looks like the other unit."),
                                  Title, Prompts::Icon::Information);
        return;
    }
    // Later rows were checked against these: all are checked again. A converted row that now
    // passes is ticked; the others keep the user's choice.
    const std::vector<Entry> before = entries_;
    const std::vector<char> choices = accepted_;
    readingcheck::TankFacts facts = facts_;
    readingcheck::checkEntries(entries_, facts, session_.UnitsUS);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const bool changed =
            before[i].inches != entries_[i].inches ||
            readingcheck::flagsText(before[i].flags) != readingcheck::flagsText(entries_[i].flags);
        accepted_[i] =
            changed ? (entries_[i].error.isEmpty() && entries_[i].flags.empty()) : choices[i];
    }
    review_->reset();
    showSummary();
}

std::vector<const Entry*> ReadingImportWindow::rejected() const {
    std::vector<const Entry*> rows;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (!accepted_[i])
            rows.push_back(&entries_[i]);
    return rows;
}

bool ReadingImportWindow::saveRejected() {
    const QFileInfo source(fileName_);
    const QString suggestion = source.absoluteDir().filePath(source.completeBaseName() +
                                                             QStringLiteral(" - rejected.csv"));
    const QString path = services_.prompts.saveFileName(
        QStringLiteral("Save Rejected Rows"), QStringLiteral("CSV files (*.csv)"), suggestion);
    if (path.isEmpty())
        return false;
    if (QFileInfo::exists(path)) {
        services_.prompts.message(
            QStringLiteral("\"%1\" exists already.  Choose another name.").arg(path), Title,
            Prompts::Icon::Exclamation);
        return false;
    }
    QSaveFile file(path);
    const QByteArray bytes = readingimport::rejectedCsv(rejected()).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        services_.prompts.message(
            QStringLiteral("\"%1\" could not be written: %2").arg(path, file.errorString()), Title,
            Prompts::Icon::Exclamation);
        return false;
    }
    services_.prompts.message(QStringLiteral("The rows not stored were saved in \"%1\".").arg(path),
                              Title, Prompts::Icon::Information);
    return true;
}

void ReadingImportWindow::Cmd_SaveRejected_Click() {
    saveRejected();
}

void ReadingImportWindow::Cmd_OK_Click() {
    std::vector<const Entry*> rows;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (accepted_[i])
            rows.push_back(&entries_[i]);
    if (rows.empty())
        return;
    Status stored = [&] {
        BusyScope busy(services_.pointer, *this);
        return readingimport::storeEntries(session_.DatabaseName, session_.CurInspectionID, rows);
    }();
    if (!stored) {
        // Nothing was stored; the window stays, so the user can try again or cancel.
        services_.prompts.message(stored.error(), Title, Prompts::Icon::Exclamation);
        return;
    }
    stored_ = static_cast<int>(rows.size());
    const std::size_t left = entries_.size() - rows.size();
    if (left > 0 &&
        services_.prompts.message(
            QStringLiteral("%1 readings were stored.  %2 rows were not.\n\nSave the rows not "
                           "stored as a CSV file to send back?")
                .arg(stored_)
                .arg(left),
            Title, Prompts::Icon::Question, Prompts::Buttons::YesNo) == Prompts::Answer::Yes)
        saveRejected();
    accept();
}

bool importReadings(QWidget& opener, Session& session, Services& services,
                    const ReadingImportWindow::Defaults& defaults) {
    QSettings settings;
    const QString folderKey = QStringLiteral("ReadingImport/Folder");
    const QString path = services.prompts.openFileName(
        Title,
        QStringLiteral("Gauge files (*.csv *.txt *.xlsx);;CSV files (*.csv *.txt);;Excel "
                       "workbooks (*.xlsx);;All files (*)"),
        settings.value(folderKey).toString());
    if (path.isEmpty())
        return false;
    settings.setValue(folderKey, QFileInfo(path).absolutePath());
    Result<readingfile::Table> table = [&] {
        BusyScope busy(services.pointer, opener);
        return readingfile::readTableFile(path);
    }();
    if (table && table->rows.isEmpty())
        table = Error{QStringLiteral("\"%1\" holds no rows.").arg(QFileInfo(path).fileName())};
    if (!table) {
        services.prompts.message(table.error(), Title, Prompts::Icon::Exclamation);
        return false;
    }
    ReadingImportWindow window(session, services, std::move(table.value()), path, defaults,
                               &opener);
    if (Status loaded = window.load(); !loaded) {
        services.prompts.message(loaded.error(), Title, Prompts::Icon::Exclamation);
        return false;
    }
    showChildWindow(services, opener, window);
    return window.storedCount() > 0;
}

} // namespace korvane
