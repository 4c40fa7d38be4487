#include "DemoData.h"

#include "engineering/MinWall.h"

namespace korvane::demo {

namespace {

// Product indices, for the tank table below.
enum ProductIndex {
    Crude,
    Gasoline,
    Diesel,
    JetA,
    Ethanol,
    Water,
    FuelOil6,
    SlopOil,
    HeatingOil,
    Biodiesel,
};

// Shell construction, bottom and roof list positions, for the tank table below.
constexpr int WeldButt = mfgtype::WeldButt;
constexpr int WeldLap = mfgtype::WeldLap;
constexpr int RivetL2 = 4;
constexpr int RivetB3 = 8;
enum Bottom { SingleFlat = 1, SingleUp, SingleDown, DoubleBottom, Lined };
enum Roof { FixedFlat = 1, FixedUp, IntPan, IntPontoon, ExtPan, ExtPontoon };

const Address companyTable[] = {
    {"Gulf Plains Refining Company", "Dale R. Whitaker", "4100 Refinery Road", "Port Arthur", "TX",
     "77640", "(409) 555-0142", "(409) 555-0199"},
    {"Prairie Midstream Partners, L.P.", "Karen Holloway", "525 S. Boston Avenue, Suite 1400",
     "Tulsa", "OK", "74103", "(918) 555-0117", "(918) 555-0118"},
    {"Blue Heron Fuels, Inc.", "Thomas A. Reilly", "88 Riverside Drive", "Albany", "NY", "12202",
     "(518) 555-0163", "(518) 555-0164"},
};

const DemoLocation locationTable[] = {
    {0,
     {"Port Arthur Refinery", "Marisol Vega", "4100 Refinery Road", "Port Arthur", "TX", "77640",
      "(409) 555-0150", "(409) 555-0151"}},
    {0,
     {"Beaumont Products Terminal", "Curtis Landry", "1875 Magnolia Dock Road", "Beaumont", "TX",
      "77701", "(409) 555-0172", "(409) 555-0173"}},
    {0,
     {"Nederland Crude Tank Farm", "Ray Broussard", "3300 Tank Farm Road", "Nederland", "TX",
      "77627", "(409) 555-0186", "(409) 555-0187"}},
    {1,
     {"Cushing Storage Terminal", "Travis Odom", "2901 S. Linwood Avenue", "Cushing", "OK", "74023",
      "(918) 555-0131", "(918) 555-0132"}},
    {1,
     {"Enid Products Terminal", "Gina Parrish", "1400 N. 30th Street", "Enid", "OK", "73701",
      "(580) 555-0124", "(580) 555-0125"}},
    {1,
     {"Ponca City Tank Farm", "Lyle Ketchum", "800 Industrial Boulevard", "Ponca City", "OK",
      "74601", "(580) 555-0190", "(580) 555-0191"}},
    {2,
     {"Port of Albany Marine Terminal", "Joe Castellano", "12 Port Road", "Albany", "NY", "12202",
      "(518) 555-0146", "(518) 555-0147"}},
    {2,
     {"Rensselaer Bulk Plant", "Denise Whalen", "440 Riverside Avenue", "Rensselaer", "NY", "12144",
      "(518) 555-0158", "(518) 555-0159"}},
};

const Product productTable[] = {
    {"Crude Oil", 0.87},   {"Gasoline", 0.74},  {"Diesel", 0.85},         {"Jet A", 0.81},
    {"Ethanol", 0.79},     {"Water", 1.0},      {"No. 6 Fuel Oil", 0.98}, {"Slop Oil", 0.92},
    {"Heating Oil", 0.86}, {"Biodiesel", 0.88},
};

const Manufacturer manufacturerTable[] = {
    {"Lone Star Tank & Steel", "LST"},        {"Great Lakes Plate Works", "GLP"},
    {"Keystone Tank Erectors", "KTE"},        {"Midland Welded Tank Co.", "MWT"},
    {"Consolidated Riveted Tank Co.", "CRT"},
};

// Riveted shells carry the joint efficiency of their seams (0.65 double-riveted lap, 0.75
// butt-strap); welded ones 0.85 with spot radiography, 1.0 with full.
const DemoTank tankTable[] = {
    // loc, name, where, product, maker, year, D ft, H ft, plate in, shell, bottom, roof,
    // yield, tensile, E, gallons, inspections, comments
    {0, "T-101", "North tank field, dike 1", Crude, 0, 1974, 150, 48, 96, WeldButt, DoubleBottom,
     ExtPontoon, 30000, 55000, 0.85, false, 2, "Double bottom with leak detection added 1996."},
    {0, "T-102", "North tank field, dike 1", Crude, 0, 1974, 120, 48, 96, WeldButt, SingleUp,
     ExtPontoon, 30000, 55000, 0.85, false, 1, nullptr},
    {0, "T-103", "Blending area, east of unit 12", Gasoline, 3, 1988, 100, 40, 96, WeldButt,
     SingleUp, IntPontoon, 36000, 58000, 1.0, false, 2, nullptr},
    {0, "T-104", "South tank field, dike 4", FuelOil6, 2, 1966, 80, 40, 96, WeldLap, SingleFlat,
     FixedUp, 30000, 55000, 0.85, false, 1, "Heated tank; steam coils in service."},
    {1, "T-201", "Tank row A", Gasoline, 3, 1992, 90, 48, 96, WeldButt, SingleDown, ExtPontoon,
     36000, 58000, 1.0, false, 2, nullptr},
    {1, "T-202", "Tank row A", Diesel, 3, 1992, 70, 40, 72, WeldButt, SingleDown, FixedUp, 36000,
     58000, 1.0, false, 1, nullptr},
    {1, "T-203", "Tank row B, next to the truck rack", JetA, 1, 1985, 60, 40, 96, WeldButt, Lined,
     IntPontoon, 34000, 58000, 0.85, false, 0, "Epoxy-lined bottom for aviation fuel service."},
    {2, "T-301", "Cell 1", Crude, 0, 1979, 140, 56, 96, WeldButt, DoubleBottom, ExtPontoon, 32000,
     60000, 0.85, false, 1, nullptr},
    {2, "T-302", "Cell 1", Crude, 0, 1979, 140, 56, 96, WeldButt, DoubleBottom, ExtPontoon, 32000,
     60000, 0.85, false, 0, nullptr},
    {2, "T-303", "Cell 2", Crude, 1, 1983, 110, 48, 96, WeldButt, SingleUp, ExtPan, 30000, 55000,
     0.85, false, 2, "Shell settlement survey taken at the last inspection."},
    {2, "T-304", "Slop tank, east of cell 2", SlopOil, 4, 1938, 30, 30, 60, RivetL2, SingleFlat,
     FixedUp, 30000, 55000, 0.65, false, 2,
     "Riveted shell; rivet weeps on course 1 noted at the last inspection."},
    {3, "T-401", "North terminal, dike N-1", Crude, 0, 1981, 150, 48, 96, WeldButt, DoubleBottom,
     ExtPontoon, 30000, 55000, 0.85, false, 1, nullptr},
    {3, "T-402", "North terminal, dike N-1", Crude, 0, 1981, 134, 48, 96, WeldButt, DoubleBottom,
     ExtPontoon, 30000, 55000, 0.85, false, 2, nullptr},
    {3, "T-403", "South terminal, dike S-2", Crude, 2, 2003, 120, 40, 96, WeldButt, DoubleBottom,
     ExtPontoon, 36000, 58000, 1.0, false, 1, nullptr},
    {3, "T-404", "Fire water, by the pump house", Water, 3, 1995, 40, 32, 96, WeldButt, SingleFlat,
     FixedUp, 36000, 58000, 1.0, true, 0, nullptr},
    {4, "T-501", "Product row", Gasoline, 1, 1972, 67, 48, 72, WeldButt, SingleUp, IntPan, 30000,
     55000, 0.85, false, 1, nullptr},
    {4, "T-502", "Product row", Diesel, 1, 1972, 67, 48, 72, WeldButt, SingleUp, FixedUp, 30000,
     55000, 0.85, false, 2, nullptr},
    {4, "T-503", "Additive pad", Ethanol, 3, 2008, 24, 32, 96, WeldButt, SingleFlat, IntPan, 36000,
     58000, 1.0, true, 0, "Denatured ethanol for rack blending."},
    {5, "T-601", "West tank farm", Crude, 0, 1977, 100, 54, 72, WeldButt, DoubleBottom, ExtPontoon,
     30000, 55000, 0.85, false, 1, nullptr},
    {5, "T-602", "East tank farm", Crude, 4, 1929, 80, 50, 60, RivetB3, SingleFlat, ExtPan, 30000,
     55000, 0.75, false, 2, "Riveted butt-strap shell; oldest tank on the farm."},
    {5, "T-603", "East tank farm", SlopOil, 2, 1990, 30, 24, 72, WeldButt, SingleDown, FixedUp,
     36000, 58000, 1.0, false, 1, nullptr},
    {6, "T-701", "Dock tank field", Gasoline, 2, 1969, 117, 48, 96, WeldButt, SingleUp, ExtPontoon,
     30000, 55000, 0.85, false, 2, nullptr},
    {6, "T-702", "Dock tank field", HeatingOil, 2, 1969, 100, 40, 96, WeldButt, SingleUp, FixedUp,
     30000, 55000, 0.85, false, 1, nullptr},
    {6, "T-703", "Upper yard", Biodiesel, 3, 2006, 50, 40, 72, WeldButt, SingleDown, FixedUp, 36000,
     58000, 1.0, false, 0, "Heated and insulated for winter storage of B100."},
    {7, "T-801", "Loading rack yard", Diesel, 2, 1998, 25, 30, 72, WeldButt, SingleFlat, FixedUp,
     36000, 58000, 1.0, true, 1, nullptr},
    {7, "T-802", "Loading rack yard", Gasoline, 2, 1998, 35, 36, 72, WeldButt, SingleFlat, IntPan,
     36000, 58000, 1.0, false, 1, nullptr},
};

const Pit pitTable[] = {
    {"T-104", 2, "W"},
    {"T-304", 1, "S"},
    {"T-602", 1, "E"},
};

const char* const inspectorTable[] = {
    "Ron Delgado, API 653 No. 31740",
    "Sharon Pike, API 653 No. 28815",
    "Mike Tran, API 653 No. 40227",
    "Earl Jennings, API 653 No. 19982",
};

} // namespace

std::span<const Address> companies() {
    return companyTable;
}
std::span<const DemoLocation> locations() {
    return locationTable;
}
std::span<const Product> products() {
    return productTable;
}
std::span<const Manufacturer> manufacturers() {
    return manufacturerTable;
}
std::span<const DemoTank> tanks() {
    return tankTable;
}
std::span<const Pit> pits() {
    return pitTable;
}
std::span<const char* const> inspectors() {
    return inspectorTable;
}

} // namespace korvane::demo
