#include "tank/TankCustomPanel.h"

#include "data/DataSource.h"
#include "tank/CustomFieldsPanel.h"
#include "tank/TankBoxes.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace korvane {

TankCustomPanel::TankCustomPanel(DataSource& tank, QWidget* parent) : QWidget(parent) {
    customFields_ = new CustomFieldsPanel(tank, this);
    Text_Comments = new QPlainTextEdit(this);
    Text_Comments->setObjectName(QStringLiteral("Text_Comments"));
    Text_Comments->setTabChangesFocus(true);
    tank.bind(Text_Comments, QStringLiteral("Comments"), "plainText");
    QGroupBox* commentsBox = nullptr;
    tankboxes::groupGrid(this, QStringLiteral("Comments"), &commentsBox)
        ->addWidget(Text_Comments, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(customFields_);
    layout->addWidget(commentsBox, 1);
}

void TankCustomPanel::SetupCustomFields(const Recordset& preferences) {
    customFields_->SetupCustomFields(preferences);
}

} // namespace korvane
