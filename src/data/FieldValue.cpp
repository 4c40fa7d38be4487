#include "data/FieldValue.h"

#include "common/DateText.h"
#include "common/Rounding.h"

#include <QDate>

#include <cmath>
#include <limits>

namespace korvane::fieldvalue {

using layout::FieldType;

namespace {

// "2020-03-05" as "05/Mar/2020", without a trip through QDate: dates are read often. at(i)
// gives the i-th character of a text of size characters; false when it is no such date.
template <typename At> bool isoToDateText(qsizetype size, const At& at, QString& text) {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto isDigit = [&](int i) {
        return at(i) >= '0' && at(i) <= '9';
    };
    if (size != 10 || at(4) != '-' || at(7) != '-')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!isDigit(i))
            return false;
    const int month = (at(5) - '0') * 10 + (at(6) - '0');
    if (month < 1 || month > 12)
        return false;
    const char* name = months[month - 1];
    const char16_t date[] = {
        at(8), at(9), u'/', char16_t(name[0]), char16_t(name[1]), char16_t(name[2]), u'/', at(0),
        at(1), at(2), at(3)};
    text = QString(reinterpret_cast<const QChar*>(date), 11);
    return true;
}

QString isoToDateText(const QString& iso) {
    QString text;
    return isoToDateText(
               iso.size(), [&](int i) { return iso.at(i).unicode(); }, text)
               ? text
               : iso;
}

Result<double> number(const QVariant& value, const QString& field) {
    bool ok = false;
    double d = 0;
    if (value.typeId() == QMetaType::QString)
        d = value.toString().trimmed().toDouble(&ok);
    else
        d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return Error{QStringLiteral("\"%1\" is not a number; %2 needs a number.")
                         .arg(value.toString(), field)};
    return d;
}

Error outOfRange(const QString& field, const QString& why) {
    return Error{QStringLiteral("%1 %2").arg(why, QStringLiteral("(field %1)").arg(field))};
}

} // namespace

QVariant fromStored(const QVariant& stored, FieldType type) {
    if (!stored.isValid())
        return {};
    switch (type) {
    case FieldType::Counter:
    case FieldType::Int32:
        return stored.toInt();
    case FieldType::Int16:
        return QVariant::fromValue(static_cast<qint16>(stored.toInt()));
    case FieldType::Byte:
        return QVariant::fromValue(static_cast<quint8>(stored.toUInt()));
    case FieldType::Single:
        return static_cast<float>(stored.toDouble());
    case FieldType::Double:
        return stored.typeId() == QMetaType::Double ? stored : QVariant(stored.toDouble());
    case FieldType::Boolean:
        return stored.toLongLong() != 0;
    case FieldType::Date:
        // Dates are kept as yyyy-mm-dd so they sort and compare by calendar; the program sees
        // them as "dd/mmm/yyyy". A text that is not such a date is shown as it stands.
        return isoToDateText(stored.toString());
    case FieldType::Text:
    case FieldType::LongText:
        return stored.typeId() == QMetaType::QString ? stored : QVariant(stored.toString());
    }
    return stored;
}

Result<QVariant> toStored(const QVariant& value, FieldType type, const QString& field) {
    const bool blankText =
        value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty();
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (type) {
    case FieldType::Counter:
        return Error{QStringLiteral("%1 is a key that the database assigns.").arg(field)};
    case FieldType::Text:
    case FieldType::LongText:
        return QVariant(value.toString());
    case FieldType::Date: {
        if (blankText)
            return QVariant();
        const QDate date = value.typeId() == QMetaType::QDate
                               ? value.toDate()
                               : parseDate(value.toString()).value_or(QDate());
        if (!date.isValid())
            return Error{
                QStringLiteral("\"%1\" is not a date; %2 needs a date such as 05/Mar/2001.")
                    .arg(value.toString(), field)};
        return QVariant(isoDate(date));
    }
    case FieldType::Boolean:
        if (blankText)
            return QVariant();
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed().toLower();
            if (t == QLatin1String("true") || t == QLatin1String("yes"))
                return QVariant(1);
            if (t == QLatin1String("false") || t == QLatin1String("no"))
                return QVariant(0);
        }
        if (auto d = number(value, field); d)
            return QVariant(*d != 0 ? 1 : 0);
        else
            return d.takeError();
    default:
        break;
    }
    if (blankText)
        return QVariant();
    auto d = number(value, field);
    if (!d)
        return d.takeError();
    switch (type) {
    case FieldType::Int32: {
        auto v = toInt32(*d);
        if (!v)
            return outOfRange(field, v.error());
        return QVariant(*v);
    }
    case FieldType::Int16: {
        auto v = toInt16(*d);
        if (!v)
            return outOfRange(field, v.error());
        return QVariant(static_cast<int>(*v));
    }
    case FieldType::Byte: {
        auto v = toByte(*d);
        if (!v)
            return outOfRange(field, v.error());
        return QVariant(static_cast<int>(*v));
    }
    case FieldType::Single:
        if (std::fabs(*d) > std::numeric_limits<float>::max())
            return Error{QStringLiteral("The number %1 is too large for %2.").arg(*d).arg(field)};
        return QVariant(static_cast<double>(static_cast<float>(*d)));
    default:
        return QVariant(*d);
    }
}

QVariant fromStoredInteger(qint64 stored, FieldType type) {
    // Whole numbers that fit the field take the short way; the rest convert as fromStored does.
    const bool fitsInt =
        stored >= std::numeric_limits<int>::min() && stored <= std::numeric_limits<int>::max();
    switch (type) {
    case FieldType::Counter:
    case FieldType::Int32:
        if (fitsInt)
            return static_cast<int>(stored);
        break;
    case FieldType::Int16:
        if (fitsInt)
            return QVariant::fromValue(static_cast<qint16>(stored));
        break;
    case FieldType::Byte:
        if (fitsInt && stored >= 0)
            return QVariant::fromValue(static_cast<quint8>(stored));
        break;
    case FieldType::Single:
        return static_cast<float>(static_cast<double>(stored));
    case FieldType::Double:
        return static_cast<double>(stored);
    case FieldType::Boolean:
        return stored != 0;
    default:
        break;
    }
    return fromStored(QVariant(static_cast<qlonglong>(stored)), type);
}

QVariant fromStoredReal(double stored, FieldType type) {
    switch (type) {
    case FieldType::Single:
        return static_cast<float>(stored);
    case FieldType::Double:
        return stored;
    default:
        return fromStored(QVariant(stored), type);
    }
}

QVariant fromStoredText(const char* utf8, qsizetype bytes, FieldType type) {
    switch (type) {
    case FieldType::Text:
    case FieldType::LongText:
        return QString::fromUtf8(utf8, bytes);
    case FieldType::Date: {
        // A stored date is plain ASCII, one byte a character.
        QString text;
        if (isoToDateText(
                bytes, [&](int i) { return char16_t(static_cast<unsigned char>(utf8[i])); }, text))
            return text;
        return QString::fromUtf8(utf8, bytes);
    }
    default:
        return fromStored(QVariant(QString::fromUtf8(utf8, bytes)), type);
    }
}

} // namespace korvane::fieldvalue
