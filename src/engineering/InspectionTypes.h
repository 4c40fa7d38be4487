#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The kinds of inspection: the entries of the type list on "Insp. Report", the texts the
// inspection grids show, and the code stored in Inspection.InspectionType.
//
// The stored code is the list position + 1 ("Monthly" 1 ... "Other" 9); 0 means no type was
// given ("None Specified").
namespace korvane::inspectiontype {

// "Monthly", "Annual", ... "Other", in list order.
const QStringList& listItems();

// The grid's text for a stored code: "None Specified" for 0, the kind for 1..9 ("Other
// Inspection Type" for 9), and nothing for any other code.
QString gridText(int code);

// The code stored for a list position (0 = the first item).
int storedCode(int listPosition);

// The list position that shows a stored code: -1 (nothing chosen) for a missing code, 0 and any
// code outside 1..9.
int listPosition(const QVariant& stored);

} // namespace korvane::inspectiontype
