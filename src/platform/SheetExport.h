#pragma once

#include "platform/Services.h"
#include "spreadsheet/Sheet.h"

#include <QString>

#include <functional>

class QWidget;

namespace korvane {

// "Export...": asks for a new file, CSV or Excel workbook as its name ends (".xlsx" a workbook,
// anything else CSV; a name without an ending takes the suggestion's), and writes the sheet made
// by `make` there. An existing file is never replaced; a file that cannot be written is named in
// a message under `title` and nothing half-written is left.
void exportSheet(QWidget& window, Services& services, const QString& title,
                 const QString& suggestion, const std::function<sheet::Sheet()>& make);

// A file name to offer for an export: the name made plain (characters a file name should not
// hold become "_"), in the folder of the database when it is a file, the home folder otherwise.
QString exportSuggestion(const QString& databaseName, const QString& name, const QString& suffix);

} // namespace korvane
