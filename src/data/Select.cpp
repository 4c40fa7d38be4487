#include "data/Select.h"

#include "data/Layout.h"
#include "data/Recordset.h"

#include <QStringList>

namespace korvane {

QString quoteIdentifier(const QString& name) {
    QStringList parts = name.split(QLatin1Char('.'));
    for (QString& part : parts)
        part = QLatin1Char('"') + QString(part).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
               QLatin1Char('"');
    return parts.join(QLatin1Char('.'));
}

Select Select::from(const QString& table) {
    Select s;
    s.table_ = table;
    return s;
}

Select Select::inspectionsWithThickness() {
    Select s;
    s.table_ = QStringLiteral("Inspection");
    s.joinTable_ = QStringLiteral("Thickness");
    return s;
}

Select& Select::where(const QString& field, const QVariant& value) {
    conditions_.push_back({conditions_.empty() ? QString() : QStringLiteral("AND"), field, value});
    return *this;
}

Select& Select::andWhere(const QString& field, const QVariant& value) {
    return where(field, value);
}

Select& Select::orWhere(const QString& field, const QVariant& value) {
    conditions_.push_back({conditions_.empty() ? QString() : QStringLiteral("OR"), field, value});
    return *this;
}

Select& Select::orderBy(const QString& field, Order order) {
    sorts_.push_back({field, order});
    return *this;
}

Select& Select::fields(const QStringList& names) {
    fields_ = names;
    return *this;
}

Select Select::spelled(const std::function<QString(const QString&)>& table,
                       const std::function<QString(const QString&)>& field) const {
    const auto spell = [](const auto& how, const QString& name) {
        const QString known = how(name);
        return known.isEmpty() ? name : known;
    };
    Select s = *this;
    s.table_ = spell(table, table_);
    if (!joinTable_.isEmpty())
        s.joinTable_ = spell(table, joinTable_);
    for (QString& f : s.fields_)
        f = spell(field, f);
    for (Condition& c : s.conditions_)
        c.field = spell(field, c.field);
    for (Sort& sort : s.sorts_)
        sort.field = spell(field, sort.field);
    return s;
}

QStringList Select::tables() const {
    QStringList list{table_};
    if (!joinTable_.isEmpty())
        list << joinTable_;
    return list;
}

QString Select::sqlFrom() const {
    QString from = quoteIdentifier(table_);
    if (!joinTable_.isEmpty())
        from += QLatin1String(" INNER JOIN ") + quoteIdentifier(joinTable_) +
                QLatin1String(" ON ") + quoteIdentifier(table_ + QLatin1String(".InspectionID")) +
                QLatin1String(" = ") + quoteIdentifier(joinTable_ + QLatin1String(".InspectionID"));
    return from;
}

QString Select::sql(layout::Dialect dialect) const {
    // Single-table queries also fetch the rowid, which identifies the row for updates and
    // deletes even in tables without a counter key.
    QString columns = QStringLiteral("*");
    if (!fields_.isEmpty()) {
        QStringList quoted;
        for (const QString& f : fields_)
            quoted << quoteIdentifier(f);
        columns = quoted.join(QLatin1String(", "));
    }
    QString sql =
        joinTable_.isEmpty()
            ? QLatin1String("SELECT rowid, ") + columns + QLatin1String(" FROM ") + sqlFrom()
            : QLatin1String("SELECT ") + columns + QLatin1String(" FROM ") + sqlFrom();
    for (const auto& c : conditions_) {
        sql += c.joiner.isEmpty() ? QLatin1String(" WHERE ")
                                  : QLatin1Char(' ') + c.joiner + QLatin1Char(' ');
        sql += quoteIdentifier(c.field) + QLatin1String(" = ?");
    }
    for (std::size_t i = 0; i < sorts_.size(); ++i) {
        sql += i == 0 ? QLatin1String(" ORDER BY ") : QLatin1String(", ");
        sql += quoteIdentifier(sorts_[i].field);
        if (sorts_[i].order == Order::Descending)
            sql += QLatin1String(" DESC");
    }
    if (dialect == layout::Dialect::Postgres) {
        QStringList order;
        for (const QString& table : tables())
            order << quoteIdentifier(table) + QLatin1String(".rowid");
        sql += (sorts_.empty() ? QLatin1String(" ORDER BY ") : QLatin1String(", ")) +
               order.join(QLatin1String(", "));
    }
    return sql;
}

QVariantList Select::bindings() const {
    QVariantList values;
    for (const auto& c : conditions_) {
        // Dates are stored in sortable form; a date given as "dd/mmm/yyyy" is turned into it.
        const QString field = c.field.section(QLatin1Char('.'), -1);
        const layout::FieldDef* def = nullptr;
        for (const QString& t : tables())
            if (const auto* table = layout::table(t); table && !def)
                def = table->field(field);
        if (def && def->type == layout::FieldType::Date) {
            if (auto stored = fieldvalue::toStored(c.value, def->type, field); stored) {
                values << *stored;
                continue;
            }
        }
        values << c.value;
    }
    return values;
}

QString Select::text() const {
    const QString columns =
        fields_.isEmpty() ? QStringLiteral("*") : fields_.join(QLatin1String(", "));
    QString text = QLatin1String("SELECT ") + columns + QLatin1String(" FROM ") + table_;
    if (!joinTable_.isEmpty())
        text += QLatin1String(" INNER JOIN ") + joinTable_ + QLatin1String(" ON ") + table_ +
                QLatin1String(".InspectionID = ") + joinTable_ + QLatin1String(".InspectionID");
    for (const auto& c : conditions_) {
        text += c.joiner.isEmpty() ? QLatin1String(" WHERE ")
                                   : QLatin1Char(' ') + c.joiner + QLatin1Char(' ');
        text += c.field + QLatin1String(" = ");
        if (c.value.typeId() == QMetaType::QString)
            text += QLatin1Char('\'') + c.value.toString() + QLatin1Char('\'');
        else
            text += c.value.toString();
    }
    for (std::size_t i = 0; i < sorts_.size(); ++i) {
        text += (i == 0 ? QLatin1String(" ORDER BY ") : QLatin1String(", ")) + sorts_[i].field;
        if (sorts_[i].order == Order::Descending)
            text += QLatin1String(" DESC");
    }
    return text;
}

} // namespace korvane
