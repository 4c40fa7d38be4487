#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The entries of the tank's construction lists, by the position stored in the Tank row
// (MfgType, BottomType, RoofType): position 0 is the blank entry.
namespace korvane::tanklists {

const QStringList& shellConstructions();
const QStringList& bottomTypes();
const QStringList& roofTypes();

// The text a stored position shows in a list; empty for the blank entry, a Null and a
// position the list does not have.
QString entryText(const QStringList& entries, const QVariant& stored);

} // namespace korvane::tanklists
