#include "engineering/InspectionTypes.h"

namespace korvane::inspectiontype {

namespace {
constexpr int Kinds = 9;
}

const QStringList& listItems() {
    static const QStringList items{
        QStringLiteral("Monthly"),        QStringLiteral("Annual"),
        QStringLiteral("External"),       QStringLiteral("Ultrasonic"),
        QStringLiteral("Internal"),       QStringLiteral("Primary Seal"),
        QStringLiteral("Secondary Seal"), QStringLiteral("Cathodic Protection"),
        QStringLiteral("Other")};
    return items;
}

QString gridText(int code) {
    if (code == 0)
        return QStringLiteral("None Specified");
    if (code == Kinds)
        return QStringLiteral("Other Inspection Type");
    if (code > 0 && code < Kinds)
        return listItems().at(code - 1);
    return {};
}

int storedCode(int listPosition) {
    return listPosition + 1;
}

int listPosition(const QVariant& stored) {
    if (!stored.isValid())
        return -1;
    const int code = stored.toInt();
    return code >= 1 && code <= Kinds ? code - 1 : -1;
}

} // namespace korvane::inspectiontype
