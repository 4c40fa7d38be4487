#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace korvane {

class CustomFieldsPanel;
class DataSource;
class Recordset;

// The "Custom Info" tab of the Tank Information window: the tank's custom fields
// (CustomFieldsPanel) and its comments, all bound to the tank's fields.
class TankCustomPanel : public QWidget {
    Q_OBJECT

public:
    explicit TankCustomPanel(DataSource& tank, QWidget* parent = nullptr);

    // Names and kinds of the custom fields from the Preferences row.
    void SetupCustomFields(const Recordset& preferences);

private:
    CustomFieldsPanel* customFields_ = nullptr;
    QPlainTextEdit* Text_Comments = nullptr;
};

} // namespace korvane
