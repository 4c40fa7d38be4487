#pragma once

#include <QString>
#include <QStringList>

namespace korvane::datafiles {

// The folders a data file of the program is looked up in, by its bare name, for one kind of
// data file ("help" for the help documents, "reports" for the report definitions), in order:
// - the current folder;
// - the program's folder;
// - when the program or the command-line tool runs from the folder the build put it in
//   (build/debug/src/app, build/release/tools/korvane-db), the folder of that kind in the source
//   tree it was built from (resources/help, resources/reports);
// - the installed data folder of that kind (<prefix>/share/korvane/help ...), found from the
//   program's folder, so an installation works wherever it was put.
// Without a running application there is no program folder: the current folder and the data
// folder of the installation prefix the program was built for.
QStringList folders(const QString& kind);
// The same for a program in the folder given.
QStringList folders(const QString& kind, const QString& programFolder);

// The absolute path of the first file of that bare name in the folders; empty when none has it.
QString find(const QString& name, const QStringList& folders);

} // namespace korvane::datafiles
