#include "data/QueryResult.h"

namespace korvane {

int QueryResult::columnIndex(const QString& name) const {
    for (int c = 0; c < columnCount(); ++c)
        if (source_->columnName(c).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

} // namespace korvane
