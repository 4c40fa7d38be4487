#include "tank/TankBoxes.h"

#include "common/TextValue.h"
#include "data/DataSource.h"
#include "platform/DateBox.h"
#include "platform/Services.h"
#include "platform/TagBox.h"
#include "platform/WindowControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>

namespace korvane {

namespace tankboxes {

const QString WindowCaption = QStringLiteral("Tank Information");
const QString DateToolTip = QStringLiteral("Date format dd/mmm/yyyy");

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

QGridLayout* groupGrid(QWidget* parent, const QString& title, QGroupBox** group) {
    auto* box = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(box);
    if (group)
        *group = box;
    return grid;
}

bool checkTypedNumbers(Services& services, std::initializer_list<TypedNumber> boxes) {
    for (const TypedNumber& t : boxes) {
        if (!t.stored || t.box->text().trimmed().isEmpty() || beginsWithNumber(t.box->text()))
            continue;
        services.prompts.message(latin(t.message), WindowCaption, Prompts::Icon::Exclamation);
        bringForwardAndFocus(*t.box);
        return false;
    }
    return true;
}

} // namespace tankboxes

using tankboxes::latin;

QLineEdit* TankBoxes::bound(const char* name, const char* field, const QString& toolTip) {
    auto* box = new QLineEdit(&page_);
    box->setObjectName(latin(name));
    box->setToolTip(toolTip);
    tank_.bind(box, latin(field));
    return box;
}

DateBox* TankBoxes::date(const char* name, const char* field, const QString& toolTip) {
    auto* box = new DateBox(services_, &page_);
    box->setObjectName(latin(name));
    box->setToolTip(toolTip);
    box->setMaximumWidth(page_.fontMetrics().horizontalAdvance(QStringLiteral("00/MMM/00000")) +
                         16);
    tank_.bind(box, latin(field));
    dates_.push_back(box);
    return box;
}

TagBox* TankBoxes::tag(const char* name) {
    auto* box = new TagBox(&page_);
    box->setObjectName(latin(name));
    return box;
}

} // namespace korvane
