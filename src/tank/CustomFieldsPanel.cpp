#include "tank/CustomFieldsPanel.h"

#include "data/DataSource.h"
#include "data/PreferencesRow.h"
#include "data/Recordset.h"
#include "platform/DateBox.h"
#include "platform/TagBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace korvane {

namespace {

QString kindTag(layout::CustomKind kind) {
    return QString::number(static_cast<int>(kind));
}

// What a box of each kind says about what it holds; a kind outside the list counts as Text.
QString kindToolTip(layout::CustomKind kind) {
    switch (kind) {
    case layout::CustomKind::Numeric:
        return QStringLiteral("Number");
    case layout::CustomKind::DateTime:
        return QStringLiteral("Date format dd/mmm/yyyy");
    case layout::CustomKind::YesNo:
        return QStringLiteral("Yes or No");
    case layout::CustomKind::Text:
    case layout::CustomKind::Hidden:
        break;
    }
    return {};
}

} // namespace

CustomFieldsPanel::CustomFieldsPanel(DataSource& tank, QWidget* parent)
    : QGroupBox(QStringLiteral("Custom Fields"), parent) {
    setObjectName(QStringLiteral("Frame_Custom"));
    // Two columns of ten, fields 1 to 10 on the left; each column closes up over its hidden
    // fields. Tab goes down the left column first.
    std::array<QGridLayout*, 2> columns{new QGridLayout, new QGridLayout};
    for (int i = 1; i <= FieldCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        auto* label = new QLabel(preferences::defaultCustomLabel(i), this);
        label->setObjectName(QStringLiteral("CustomLabel(%1)").arg(i));
        auto* box = new TagBox(this);
        box->setObjectName(QStringLiteral("CustomText(%1)").arg(i));
        label->setBuddy(box);
        tank.bind(box, QStringLiteral("Custom%1").arg(i));
        // On Return or on leaving the box.
        connect(box, &QLineEdit::editingFinished, this, [this, i] { CustomText_LostFocus(i); });
        CustomLabel[slot] = label;
        CustomText[slot] = box;
        QGridLayout* column = columns[i <= 10 ? 0 : 1];
        const int row = (i - 1) % 10;
        column->addWidget(label, row, 0);
        column->addWidget(box, row, 1);
    }
    auto* layout = new QHBoxLayout(this);
    for (QGridLayout* column : columns) {
        column->setColumnStretch(1, 1);
        column->setRowStretch(10, 1);
        layout->addLayout(column, 1);
    }
    layout->insertSpacing(1, 24);
    for (int i = 2; i <= FieldCount; ++i)
        setTabOrder(CustomText[static_cast<std::size_t>(i - 1)],
                    CustomText[static_cast<std::size_t>(i)]);
}

void CustomFieldsPanel::SetupCustomFields(const Recordset& preferences) {
    for (int i = 1; i <= FieldCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const QString name = preferences.text(QStringLiteral("Custom%1_Label").arg(i));
        const int code = preferences.value(QStringLiteral("Custom%1_Type").arg(i)).toInt();
        const auto kind = code >= static_cast<int>(layout::CustomKind::Text) &&
                                  code <= static_cast<int>(layout::CustomKind::Hidden)
                              ? static_cast<layout::CustomKind>(code)
                              : layout::CustomKind::Text;
        CustomLabel[slot]->setText(name.trimmed().isEmpty() ? preferences::defaultCustomLabel(i)
                                                            : name);
        CustomText[slot]->setTag(kindTag(kind));
        CustomText[slot]->setToolTip(kindToolTip(kind));
        const bool hidden = kind == layout::CustomKind::Hidden;
        CustomLabel[slot]->setHidden(hidden);
        CustomText[slot]->setHidden(hidden);
    }
}

// A date typed in a Date/Time field is shown as "dd/Mmm/yyyy" once the box is left, as in every
// date box; every other kind takes any text, and none is refused.
void CustomFieldsPanel::CustomText_LostFocus(int index) {
    TagBox& box = *CustomText[static_cast<std::size_t>(index)];
    // Only what the user typed: a stored value is shown as it was stored, whatever its kind is
    // now (showing a record resets the box's modified flag).
    if (box.tag() == kindTag(layout::CustomKind::DateTime) && box.isModified())
        reformatDateOnLeave(box);
}

} // namespace korvane
