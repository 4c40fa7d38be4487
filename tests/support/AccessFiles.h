#pragma once

#include <QString>

namespace korvane::test {

// Access files made for the import tests from the two public Access files of tests/access/access
// by changing bytes of a copy, as a damaged, encrypted or front-end file would differ:
enum class AccessFile {
    Jet3Location, // Jet 3: the table Shippers named Location, so its 3 rows are ours
    Jet4Location, // Jet 4: the table DateTest named Location (dates, a memo, texts)
    RowsLost,     // Jet3Location with its data page saying it holds no rows, though the table
                  // says 3
    Linked,       // Jet3Location with Location a link to a table of another file
    Encrypted,    // Jet 4 with the header of an Access 2010 file encrypted with a password
};

// Writes the file to path; failures fail the test.
void writeAccessFile(AccessFile kind, const QString& path);

} // namespace korvane::test
