#pragma once

#include <QtGlobal>

#include <span>

// The fixed tables the demo database is made from: invented companies and their sites, and
// tanks of the kinds such sites keep. Everything that depends on today's date or on chance is
// worked out from these in DemoDatabase.cpp.
namespace korvane::demo {

struct Address {
    const char* name;
    const char* contact;
    const char* address;
    const char* city;
    const char* state;
    const char* zip;
    const char* phone;
    const char* fax;
};

struct DemoLocation {
    int company; // index into companies()
    Address address;
};

struct Product {
    const char* name;
    double specGravity;
};

struct Manufacturer {
    const char* name;
    const char* serialPrefix;
};

struct DemoTank {
    int location; // index into locations()
    const char* name;
    const char* physLoc;
    int product;      // index into products()
    int manufacturer; // index into manufacturers()
    int mfgYear;
    int diameterFt;
    int heightFt;
    int plateIn; // shell plate width: every course is this high except the top one, which is
                 // what remains of the shell height
    int mfgType;
    int bottomType;
    int roofType;
    qint32 yieldPsi;
    qint32 tensilePsi;
    double jointEff;
    bool gallons;    // capacity kept in gallons (stored negative) rather than barrels
    int inspections; // how many inspections the tank has on record: 0, 1 or 2
    const char* comments;
};

// A corroded spot whose latest reading falls below its course minimum.
struct Pit {
    const char* tank;
    int course; // 1 = bottom course
    const char* direction;
};

std::span<const Address> companies();
std::span<const DemoLocation> locations();
std::span<const Product> products();
std::span<const Manufacturer> manufacturers();
std::span<const DemoTank> tanks();
std::span<const Pit> pits();
std::span<const char* const> inspectors();

// The tank that carries the shell settlement survey.
inline constexpr const char* SurveyedTank = "T-303";

} // namespace korvane::demo
