#include "data/QueryResult.h"

#include <vector>

namespace korvane {

namespace {

// A row of a result, its cells converted as QueryResult's values convert.
class ValueRow : public RowView {
public:
    explicit ValueRow(const QueryResult& result)
        : result_(result), texts_(static_cast<std::size_t>(result.columnCount())) {}
    int columnCount() const override { return result_.columnCount(); }
    bool isNull(int column) const override { return result_.value(column).isNull(); }
    qint64 integer(int column) const override { return result_.value(column).toLongLong(); }
    double real(int column) const override { return result_.value(column).toDouble(); }
    QByteArrayView utf8(int column) const override {
        if (column < 0 || column >= columnCount())
            return {};
        QByteArray& text = texts_[static_cast<std::size_t>(column)];
        text = result_.value(column).toString().toUtf8();
        return text;
    }

private:
    const QueryResult& result_;
    mutable std::vector<QByteArray> texts_; // the cells asked for as text, until the next row
};

} // namespace

int QueryResult::columnIndex(const QString& name) const {
    for (int c = 0; c < columnCount(); ++c)
        if (source_->columnName(c).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

Status QueryResult::eachRow(const RowHandler& each) {
    const ValueRow row(*this);
    while (next())
        if (auto taken = each(row); !taken)
            return taken;
    return {};
}

} // namespace korvane
