// Condition rules of the items filed by mass class: curb mass and axle
// (212), standard 1 or 2 by reference mass (216), vehicle class and
// reference mass (276). RM, the reference mass, is the curb mass + 100 kg.
#include <algorithm>
#include <climits>
#include <iterator>

#include "condition_rules_internal.h"
#include "condition_texts.h"

namespace engine::rules {
namespace {

// Item 212 classes by the curb mass itself (no 100 kg added).
constexpr MassClass kCurbMassClasses[] = {
    {999, "RM<1000kg"},          {4000, "1000kg<=RM<=4000kg"},  {5000, "4000kg<RM<=5000kg"},
    {8000, "5000kg<RM<=8000kg"}, {11000, "8000kg<RM<=11000kg"}, {kNoBound, "RM>11000kg"},
};

// Drive types (param 1006) with two driven axles.
constexpr int kDoubleAxleCodes[] = {10060004, 10060005, 10060008, 10060009, 10060010, 10060013,
                                    10060014, 10060016, 10060017, 10060018, 10060019};

// Item 216 classes by RM; above the last there is no class.
constexpr MassClass kStandardRmClasses[] = {
    {1020, "RM<=1020"},      {1250, "1020<RM<=1250"}, {1470, "1250<RM<=1470"},
    {1700, "1470<RM<=1700"}, {1930, "1700<RM<=1930"}, {2150, "1930<RM<=2150"},
    {2500, "2150<RM<=2500"},
};
constexpr char kHeavyRmClass[] = "RM>=2500";

// Item 276 classes of vehicles produced before their group's boundary.
constexpr MassClass kOlderRmClasses[] = {
    {750, "RM<=750"},        {850, "750<RM<=850"},    {1020, "850<RM<=1020"},
    {1250, "1020<RM<=1250"}, {1470, "1250<RM<=1470"}, {1700, "1470<RM<=1700"},
    {1930, "1700<RM<=1930"}, {2150, "1930<RM<=2150"}, {kNoBound, "RM>2150"},
};

// Item 276 classes of second-class vehicles from 2001-10-01.
constexpr MassClass kSecondClassRmClasses[] = {
    {1250, texts::kCondClass2RmUpTo1250},
    {1700, texts::kCondClass2Rm1250To1700},
    {kNoBound, texts::kCondClass2RmAbove1700},
};

int ReferenceMass(const VehicleProfile &p) {
    return p.curbMass > INT_MAX - 100 ? INT_MAX : p.curbMass + 100;
}

const char *AxleText(const VehicleProfile &p) {
    bool doubleAxle = std::find(std::begin(kDoubleAxleCodes), std::end(kDoubleAxleCodes),
                                p.axleCode) != std::end(kDoubleAxleCodes);
    return doubleAxle ? texts::kCondDoubleAxle : texts::kCondSingleAxle;
}

}  // namespace

int MassAndAxleRule(const VehicleProfile &p, int, Condition &out) {
    return out.Join(ByMassClass(p.curbMass, kCurbMassClasses), AxleText(p));
}

int StandardByReferenceMassRule(const VehicleProfile &p, int, Condition &out) {
    const char *boundary = kSep2004;
    const char *rmClass = kHeavyRmClass;
    if (p.isHeavy != 1) {
        boundary = p.lightClass == 1 ? kJul2000 : kOct2001;
        rmClass = ByMassClass(ReferenceMass(p), kStandardRmClasses);
    }
    if (rmClass == nullptr) return out.Empty();
    const char *prefix = p.isForeign == 1 ? texts::kCondForeignPrefix : "";
    const char *standard = IsFrom(p, boundary) ? texts::kCondStandard1 : texts::kCondStandard2;
    return out.Write("%s%s/%s", prefix, standard, rmClass);
}

int ClassAndReferenceMassRule(const VehicleProfile &p, int, Condition &out) {
    if (p.totalMass > 3500) {
        out.SetClassFlag(1);
        return out.Set(texts::kCondClass2RmAbove1700);
    }
    const int rm = ReferenceMass(p);
    const bool secondClass = p.totalMass > 2500 || p.seatCount > 6;
    if (!IsFrom(p, secondClass ? kOct2001 : kJul2000)) {
        out.SetClassFlag(0);
        return out.Set(ByMassClass(rm, kOlderRmClasses));
    }
    out.SetClassFlag(1);
    return out.Set(secondClass ? ByMassClass(rm, kSecondClassRmClasses) : texts::kCondAllClass1);
}

}  // namespace engine::rules
