#include "platform/SelectionChain.h"

#include "data/DataSource.h"
#include "data/Database.h"
#include "data/Select.h"
#include "platform/BusyScope.h"

#include <QKeyEvent>
#include <QListWidget>

#include <algorithm>

namespace korvane {

namespace {

// Fills a list from a recordset, one line per row, and highlights the row whose key is `keep`.
void fillList(QListWidget& list, std::vector<qint32>& keys, Recordset& rs, const QString& textField,
              const QString& keyField, qint32 keep) {
    list.clear();
    keys.clear();
    QStringList texts;
    const int text = rs.fieldIndex(textField);
    const int key = rs.fieldIndex(keyField);
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        texts << rs.text(text);
        keys.push_back(rs.value(key).toInt());
    }
    list.addItems(texts);
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keep != 0 && keys[i] == keep)
            list.setCurrentRow(static_cast<int>(i));
}

void clearList(QListWidget* list, std::vector<qint32>& keys) {
    if (list)
        list->clear();
    keys.clear();
}

qint32 keyAt(const QListWidget* list, const std::vector<qint32>& keys) {
    const int row = list ? list->currentRow() : -1;
    return row >= 0 && row < static_cast<int>(keys.size()) ? keys[static_cast<std::size_t>(row)]
                                                           : 0;
}

// Highlights the entry of a key, or nothing when the key is not listed.
void highlightKey(QListWidget* list, const std::vector<qint32>& keys, qint32 key) {
    if (!list)
        return;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (key != 0 && keys[i] == key) {
            list->setCurrentRow(static_cast<int>(i));
            return;
        }
    list->setCurrentRow(-1);
}

} // namespace

SelectionChain::SelectionChain(Session& session, Services& services, QWidget& window,
                               Options options)
    : QObject(&window), session_(session), services_(services), window_(window),
      options_(std::move(options)) {
    Data_Company = new DataSource(this);
    Data_Company->setObjectName(QStringLiteral("Data_Company"));
    List_Company = makeList("List_Company", QStringLiteral("List Existing Companies"));
    List_Location = makeList("List_Location", QStringLiteral("List Existing Locations"));
    connect(List_Company, &QListWidget::itemDoubleClicked, this,
            &SelectionChain::List_Company_DblClick);
    connect(List_Location, &QListWidget::itemDoubleClicked, this,
            &SelectionChain::List_Location_DblClick);
    if (options_.tankList) {
        List_Tank = makeList("List_Tank", QStringLiteral("List Existing Tanks"));
        connect(List_Tank, &QListWidget::itemDoubleClicked, this,
                &SelectionChain::List_Tank_DblClick);
    }
}

SelectionChain::~SelectionChain() = default;

QListWidget* SelectionChain::makeList(const char* name, const QString& toolTip) {
    auto* list = new QListWidget(&window_);
    list->setObjectName(QString::fromLatin1(name));
    list->setToolTip(toolTip);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->installEventFilter(this);
    return list;
}

Status SelectionChain::open() {
    Data_Company->setDatabaseName(session_.DatabaseName);
    Data_Company->setRecordSource(QStringLiteral("Company"));
    return FillCompanyList();
}

Status SelectionChain::FillCompanyList(qint32 keep) {
    if (auto refreshed = Data_Company->refresh(); !refreshed)
        return refreshed;
    fillList(*List_Company, companyKeys_, Data_Company->recordset(), QStringLiteral("Company"),
             QStringLiteral("CompanyID"), keep);
    return {};
}

bool SelectionChain::FillLocationList(qint32 keep) {
    session_.CurCompanyID = highlightedCompany();
    chosenCompany_ = session_.CurCompanyID;
    const Select query = Select::from(QStringLiteral("Location"))
                             .where(QStringLiteral("CompanyID"), session_.CurCompanyID);
    session_.SQLString = query.text();
    clearList(List_Location, locationKeys_);
    auto db = Database::open(session_.DatabaseName);
    auto rs = db ? db->openRecordset(query) : Result<Recordset>(db.takeError());
    if (!rs) {
        services_.prompts.message(rs.error(), options_.caption, Prompts::Icon::Exclamation);
        List_Location->setEnabled(false);
        return false;
    }
    fillList(*List_Location, locationKeys_, *rs, QStringLiteral("Location"),
             QStringLiteral("LocationID"), keep);
    const bool any = List_Location->count() > 0;
    List_Location->setEnabled(any);
    if (!any)
        reportEmpty(QStringLiteral("There is no Location Information available for this Company"),
                    QStringLiteral("Missing Location Data"));
    return any;
}

bool SelectionChain::FillTankList() {
    const Select query = Select::from(QStringLiteral("Tank"))
                             .where(QStringLiteral("LocationID"), session_.CurLocationID)
                             .fields({QStringLiteral("TankID"), QStringLiteral("Name")});
    session_.SQLString = query.text();
    clearList(List_Tank, tankKeys_);
    auto db = Database::open(session_.DatabaseName);
    auto rs = db ? db->openRecordset(query) : Result<Recordset>(db.takeError());
    if (!rs) {
        services_.prompts.message(rs.error(), options_.caption, Prompts::Icon::Exclamation);
        List_Tank->setEnabled(false);
        return false;
    }
    fillList(*List_Tank, tankKeys_, *rs, QStringLiteral("Name"), QStringLiteral("TankID"), 0);
    const bool any = List_Tank->count() > 0;
    List_Tank->setEnabled(any);
    if (!any)
        reportEmpty(QStringLiteral("There is no Tank Information available for this Location"),
                    QStringLiteral("Missing Tank Data"));
    return any;
}

void SelectionChain::reportEmpty(const QString& text, const QString& title) {
    if (options_.reportEmptyLists)
        services_.prompts.message(text, title, Prompts::Icon::Exclamation);
}

qint32 SelectionChain::highlightedCompany() const {
    return keyAt(List_Company, companyKeys_);
}
qint32 SelectionChain::highlightedLocation() const {
    return keyAt(List_Location, locationKeys_);
}
qint32 SelectionChain::highlightedTank() const {
    return keyAt(List_Tank, tankKeys_);
}
qint32 SelectionChain::tankKey(int row) const {
    return row >= 0 && row < static_cast<int>(tankKeys_.size())
               ? tankKeys_[static_cast<std::size_t>(row)]
               : 0;
}

namespace {

// The text of the list entry whose key is `key`; empty when the list does not show it.
QString entryText(const QListWidget* list, const std::vector<qint32>& keys, qint32 key) {
    for (std::size_t i = 0; list && i < keys.size(); ++i)
        if (keys[i] == key)
            return list->item(static_cast<int>(i))->text();
    return {};
}

} // namespace

QString SelectionChain::chosenCompanyName() const {
    return entryText(List_Company, companyKeys_, chosenCompany_);
}

QString SelectionChain::chosenLocationName() const {
    return entryText(List_Location, locationKeys_, chosenLocation_);
}

QString SelectionChain::chosenTankName() const {
    return entryText(List_Tank, tankKeys_, chosenTank_);
}

void SelectionChain::showChosen() {
    highlightKey(List_Company, companyKeys_, chosenCompany_);
    highlightKey(List_Location, locationKeys_, chosenLocation_);
    highlightKey(List_Tank, tankKeys_, chosenTank_);
}

bool SelectionChain::mayChoose(QListWidget& list) {
    if (list.currentRow() < 0 || !list.isEnabled())
        return false;
    if (!guard_ || guard_())
        return true;
    // The open record stays: so does the choice it was opened under.
    showChosen();
    return false;
}

bool SelectionChain::choose(qint32 companyId, qint32 locationId) {
    const auto highlight = [](QListWidget* list, const std::vector<qint32>& keys, qint32 key) {
        const auto found = std::find(keys.begin(), keys.end(), key);
        if (found == keys.end() || found - keys.begin() >= list->count())
            return false;
        list->setCurrentRow(static_cast<int>(found - keys.begin()));
        return true;
    };
    if (!highlight(List_Company, companyKeys_, companyId))
        return false;
    List_Company_DblClick();
    if (chosenCompany_ != companyId || !highlight(List_Location, locationKeys_, locationId))
        return false;
    List_Location_DblClick();
    return chosenLocation_ == locationId;
}

void SelectionChain::List_Company_DblClick() {
    if (!mayChoose(*List_Company))
        return;
    BusyScope busy(services_.pointer, window_);
    chosenLocation_ = chosenTank_ = 0;
    clearList(List_Tank, tankKeys_);
    if (List_Tank)
        List_Tank->setEnabled(false);
    const bool any = FillLocationList();
    emit companyChosen(chosenCompany_);
    if (any)
        List_Location->setFocus();
}

void SelectionChain::List_Location_DblClick() {
    if (!mayChoose(*List_Location))
        return;
    BusyScope busy(services_.pointer, window_);
    session_.CurLocationID = highlightedLocation();
    chosenLocation_ = session_.CurLocationID;
    chosenTank_ = 0;
    const bool anyTank = List_Tank && FillTankList();
    emit locationChosen(chosenLocation_);
    if (anyTank)
        List_Tank->setFocus();
}

void SelectionChain::List_Tank_DblClick() {
    if (!List_Tank || !mayChoose(*List_Tank))
        return;
    session_.CurTankID = highlightedTank();
    chosenTank_ = session_.CurTankID;
    emit tankChosen(chosenTank_);
}

bool SelectionChain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == List_Company)
                List_Company_DblClick();
            else if (watched == List_Location)
                List_Location_DblClick();
            else if (watched == List_Tank && List_Tank)
                List_Tank_DblClick();
            else
                return QObject::eventFilter(watched, event);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvane
