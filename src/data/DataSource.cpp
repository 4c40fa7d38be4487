#include "data/DataSource.h"

namespace korvane {

DataSource::DataSource(QObject* parent) : QObject(parent) {}
DataSource::~DataSource() = default;

Status DataSource::refresh() {
    if (!recordSource_)
        return Error{QStringLiteral("The data source has no record source.")};
    auto db = connection_.isOpen() ? Result<Database>(connection_) : Database::open(databaseName_);
    if (!db)
        return db.takeError();
    auto rs = db->openRecordset(*recordSource_, lockEdits_);
    if (!rs)
        return rs.takeError();
    recordset_ = std::move(rs.value());
    showCurrentRow();
    return {};
}

namespace {

// Puts a field's text in a box. A read-only box with a cursor (a locked line edit) shows the
// start of a text longer than itself, as a reader expects, not its end where setting the text
// left the cursor; a box that can be typed in keeps its cursor at the end, to type on.
void showText(QObject& box, const QByteArray& property, const QString& text) {
    box.setProperty(property.constData(), text);
    if (box.property("readOnly").toBool() &&
        box.metaObject()->indexOfProperty("cursorPosition") >= 0)
        box.setProperty("cursorPosition", 0);
}

} // namespace

void DataSource::bind(QObject* box, const QString& field, const QByteArray& property) {
    unbind(box);
    bindings_.push_back({box, field, property});
}

void DataSource::rebind(QObject* box, const QString& field) {
    for (auto& b : bindings_) {
        if (b.box == box) {
            b.field = field;
            showText(*b.box, b.property, recordset_.text(field));
        }
    }
}

void DataSource::unbind(QObject* box) {
    std::erase_if(bindings_, [box](const Binding& b) { return b.box == box || b.box.isNull(); });
}

void DataSource::showCurrentRow() {
    for (const auto& b : bindings_) {
        if (!b.box)
            continue;
        showText(*b.box, b.property, recordset_.text(b.field));
    }
}

void DataSource::moveFirst() {
    recordset_.moveFirst();
    showCurrentRow();
}

void DataSource::moveNext() {
    recordset_.moveNext();
    showCurrentRow();
}

void DataSource::setAbsolutePosition(int row) {
    recordset_.setAbsolutePosition(row);
    showCurrentRow();
}

Status DataSource::update() {
    if (recordset_.editMode() == Recordset::EditMode::None)
        return Error{QStringLiteral("There is no pending change to save.")};
    for (const auto& b : bindings_) {
        if (!b.box || !recordset_.hasField(b.field))
            continue;
        const QString shown = b.box->property(b.property.constData()).toString();
        // A box left as it was shown is not written, so a value the box cannot show exactly
        // (a Null, a number with more digits) is kept as stored.
        if (shown == recordset_.text(b.field))
            continue;
        if (auto status = recordset_.setValue(b.field, shown); !status)
            return status;
    }
    return recordset_.update();
}

void DataSource::cancelUpdate() {
    recordset_.cancelUpdate();
    showCurrentRow();
}

} // namespace korvane
