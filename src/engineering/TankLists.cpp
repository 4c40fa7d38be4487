#include "engineering/TankLists.h"

namespace korvane::tanklists {

const QStringList& shellConstructions() {
    static const QStringList entries{
        QStringLiteral(" "),        QStringLiteral("Weld Butt"), QStringLiteral("Weld Lap"),
        QStringLiteral("Rivet L1"), QStringLiteral("Rivet L2"),  QStringLiteral("Rivet L3"),
        QStringLiteral("Rivet L4"), QStringLiteral("Rivet B2"),  QStringLiteral("Rivet B3"),
        QStringLiteral("Rivet B4"), QStringLiteral("Rivet B5"),  QStringLiteral("Rivet B6")};
    return entries;
}

const QStringList& bottomTypes() {
    static const QStringList entries{QStringLiteral(" "),         QStringLiteral("Single Flat"),
                                     QStringLiteral("Single Up"), QStringLiteral("Single Down"),
                                     QStringLiteral("Double"),    QStringLiteral("Lined")};
    return entries;
}

const QStringList& roofTypes() {
    static const QStringList entries{
        QStringLiteral(" "),           QStringLiteral("Fixed Flat"),   QStringLiteral("Fixed Up"),
        QStringLiteral("Int. Pan"),    QStringLiteral("Int. Pontoon"), QStringLiteral("Ext. Pan"),
        QStringLiteral("Ext. Pontoon")};
    return entries;
}

QString entryText(const QStringList& entries, const QVariant& stored) {
    if (stored.isNull())
        return {};
    const int position = stored.toInt();
    return position > 0 && position < entries.size() ? entries[position] : QString();
}

} // namespace korvane::tanklists
