// korvane-mdb-reader FILE: writes what an Access file holds to the standard output, for the
// program that started it. Not for users: korvane and korvane-db start it to import a file.
#include "access/AccessReader.h"

int main(int argc, char** argv) {
    return korvane::access::runReader(argc, argv);
}
