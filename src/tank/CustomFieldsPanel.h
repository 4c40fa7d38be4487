#pragma once

#include "data/Layout.h"

#include <QGroupBox>

#include <array>

class QLabel;

namespace korvane {

class DataSource;
class Recordset;
class TagBox;

// The twenty custom fields of a tank on the Custom Info tab of the Tank Information window,
// named and typed in the Preferences row of the database. Each box is bound to its field of the
// tank (Custom1 .. Custom20), so the tank's data source shows and saves it; its hidden value
// holds the kind. Fields of the kind "Hidden" show neither name nor box, and their stored value
// is kept as it is.
class CustomFieldsPanel : public QGroupBox {
    Q_OBJECT

public:
    static constexpr int FieldCount = layout::CustomFieldCount;

    CustomFieldsPanel(DataSource& tank, QWidget* parent = nullptr);

    // Names and kinds from the Preferences row (a closed recordset leaves the names
    // "Custom Field 1" .. and every kind "Text").
    void SetupCustomFields(const Recordset& preferences);

private:
    void CustomText_LostFocus(int index);

    std::array<QLabel*, FieldCount + 1> CustomLabel{}; // 1..20
    std::array<TagBox*, FieldCount + 1> CustomText{};  // 1..20
};

} // namespace korvane
