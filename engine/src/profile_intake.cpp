#include "engine/profile_intake.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "condition_texts.h"
#include "engine/registration_params.h"
#include "platform/gbk.h"
#include "platform/value_text.h"

namespace engine {
namespace {

// Defaults for a vehicle whose buffer lacks a value or holds one out of range.
constexpr int kDefaultVehicleKind = 10820001;
constexpr int kDefaultTotalMass = 2500;
constexpr int kDefaultSeats = 5;
constexpr int kMaxSeats = 150;
constexpr int kDefaultCurbMass = 1875;
constexpr int kMaxMass = 999999;
constexpr char kDefaultProductionDate[] = "2011-01-01";
constexpr char kNoSeries[] = "VEH";
constexpr int kDefaultBrake = 10370001;
constexpr int kDefaultLamps = 10090002;
constexpr float kDefaultMaxSpeed = 120.0f;
constexpr float kDefaultPower = 20.0f;
constexpr float kDefaultDisplacement = 0.05f;
constexpr int kDefaultStrokes = 2;
constexpr int kMaxStrokes = 999999;
constexpr int kDefaultIntake = 10480001;
constexpr int kDefaultAxle = 10060003;

constexpr double kHighRatio = 1.2;
constexpr double kRatioCodeThreshold = 1000.0;  // a 1011 value above this is a code

// Kinds judged as passenger vehicles (main codes and passenger sub-codes).
constexpr int kPassengerKinds[] = {10820001, 10820003, 10820004, 10820008, 10820009, 10820040,
                                   10820041, 10820100, 10820101, 10820102, 10820103};

// Copies a NUL-terminated text into a fixed array, cut at the array's room.
template <std::size_t N>
void CopyText(char (&to)[N], const char *from) {
    std::size_t n = strnlen(from, N - 1);
    std::memcpy(to, from, n);
    std::memset(to + n, 0, N - n);
}

// Reads single parameters of one information buffer. The entry's text is
// cleared once; a parameter's text is only valid after Read returned true.
class InfoReader {
  public:
    InfoReader(const bridges::PlinthBridge &plinth, const void *buffer)
        : plinth_(plinth), buffer_(buffer) {}

    bool Read(int paramId) {
        bool present = plinth_.ParseStdHead_Info(buffer_, paramId, &entry_) > 0;
        entry_.text[sizeof entry_.text - 1] = '\0';
        return present;
    }
    const char *Text() const { return entry_.text; }
    int Number() const { return platform::IntegerOf(entry_.text); }
    float Decimal() const { return platform::FloatOf(entry_.text); }

    // The parameter's number, or `fallback` when absent or outside min..max.
    int NumberInRange(int paramId, int min, int max, int fallback) {
        if (!Read(paramId)) return fallback;
        int value = Number();
        return value < min || value > max ? fallback : value;
    }
    // GetMainID of the parameter's number, or `fallback` when absent.
    int MainCode(int paramId, int fallback) {
        return Read(paramId) ? plinth_.GetMainID(Number()) : fallback;
    }

  private:
    const bridges::PlinthBridge &plinth_;
    const void *buffer_;
    InfoEntry entry_{};
};

bool IsPassengerKind(int code) {
    return std::find(std::begin(kPassengerKinds), std::end(kPassengerKinds), code) !=
           std::end(kPassengerKinds);
}

bool IsDateText(const char *text) {
    return std::strlen(text) == 10 && text[4] == '-' && text[7] == '-';
}

// Replaces `part` by the name of its code when it is a code of `paramId`
// that the dictionary names.
void ReplaceCodeByName(const bridges::PlinthBridge &plinth, char (&part)[PLINTH_NAME_BYTES],
                       int paramId) {
    if (plinth.IsSubID_charEx(part, paramId) <= 0) return;
    char name[PLINTH_NAME_BYTES] = {};
    if (plinth.GetZK2IDInfo(platform::IntegerOf(part), name) <= 0) return;
    name[sizeof name - 1] = '\0';
    CopyText(part, name);
}

// "VEH" without brand and model; else brand "_" model, cut at the key's room
// on a character boundary.
void TakeSeriesKey(const bridges::PlinthBridge &plinth, char (&brand)[PLINTH_NAME_BYTES],
                   char (&model)[PLINTH_NAME_BYTES], VehicleProfile &profile) {
    plinth.TrimLeft(brand, ' ');
    plinth.TrimRight(brand, ' ');
    plinth.TrimLeft(model, ' ');
    plinth.TrimRight(model, ' ');
    if (brand[0] == '\0' && model[0] == '\0') {
        CopyText(profile.seriesKey, kNoSeries);
        return;
    }
    ReplaceCodeByName(plinth, brand, kParamBrand);
    ReplaceCodeByName(plinth, model, kParamModelCodeName);
    char joined[2 * PLINTH_NAME_BYTES + 1];
    std::snprintf(joined, sizeof joined, "%s_%s", brand, model);
    std::size_t n = platform::GbkCutLength(joined, sizeof profile.seriesKey - 1);
    std::memset(profile.seriesKey, 0, sizeof profile.seriesKey);
    std::memcpy(profile.seriesKey, joined, n);
}

// The brand and the model as the buffer gives them (a model code by its
// dictionary name), joined into the series key.
void TakeBrandAndModel(const bridges::PlinthBridge &plinth, InfoReader &info,
                       VehicleProfile &profile) {
    char brand[PLINTH_NAME_BYTES] = {};
    if (info.Read(kParamBrand)) CopyText(brand, info.Text());
    char model[PLINTH_NAME_BYTES] = {};
    if (info.Read(kParamModel)) {
        char name[PLINTH_NAME_BYTES] = {};
        if (plinth.IsSubID_charEx(info.Text(), kParamModel) != 0 &&
            plinth.GetZK2IDInfo(info.Number(), name) > 0) {
            name[sizeof name - 1] = '\0';
            CopyText(model, name);
        } else {
            CopyText(model, info.Text());
        }
    }
    TakeSeriesKey(plinth, brand, model, profile);
}

// An explicit ratio overrides the one from the masses. Above 1000 the value
// is a code; up to it a ratio, compared as the 32-bit float it was read into
// (so "1.2" counts as more than 1.2).
void TakeLoadRatio(InfoReader &info, VehicleProfile &profile) {
    if (info.Read(kParamLoadRatio)) {
        float v = info.Decimal();
        if (v > kRatioCodeThreshold)
            profile.highRatio = v == static_cast<float>(kLoadRatioBelowLimit) ? 0 : 1;
        else
            profile.highRatio = static_cast<double>(v) > kHighRatio ? 1 : 0;
    }
}

}  // namespace

int ResolveCode(const bridges::PlinthBridge &plinth, const char *text, int paramId) {
    if (plinth.IsSubID_char(text) > 0) return plinth.GetMainID(platform::IntegerOf(text));
    char digits[PLINTH_NAME_BYTES] = {};
    if (plinth.GetParamIDByName(text, paramId, digits) > 0) {
        digits[sizeof digits - 1] = '\0';
        return plinth.GetMainID(platform::IntegerOf(digits));
    }
    return 0;
}

void DeriveClassFlags(VehicleProfile &profile) {
    profile.isHeavy = profile.totalMass > 3500 ? 1 : 0;
    profile.lightClass =
        profile.totalMass > 2500 || profile.seatCount > 6 || profile.notPassengerKind == 1 ? 2 : 1;
    if (profile.curbMass == 0) profile.curbMass = 1;
    double ratio = static_cast<double>(profile.totalMass) / profile.curbMass;
    profile.highRatio = ratio >= kHighRatio ? 1 : 0;
}

int TakeVehicleInfo(const bridges::PlinthBridge &plinth, const void *infoBuffer,
                    VehicleProfile &profile) {
    if (infoBuffer == nullptr) return 0;
    StdHead head{};
    if (plinth.ParseStdHead(infoBuffer, &head) <= 0 || head.count == 0) return 0;

    InfoReader info(plinth, infoBuffer);

    // The kind's first reading only decides whether it is a passenger kind:
    // a code stands as it is (sub-codes included), a name is resolved.
    int kindCode = kDefaultVehicleKind;
    if (info.Read(kParamVehicleKind)) {
        kindCode = plinth.IsSubID_char(info.Text()) > 0
                       ? info.Number()
                       : ResolveCode(plinth, info.Text(), kParamVehicleKind);
    }
    profile.notPassengerKind = IsPassengerKind(kindCode) ? 0 : 1;

    profile.totalMass = info.NumberInRange(kParamTotalMass, 1, kMaxMass, kDefaultTotalMass);

    profile.isForeign = 0;
    if (info.Read(kParamForeign)) {
        int number = info.Number();
        profile.isForeign = number > 0 ? number == kForeignYes
                                       : std::strcmp(info.Text(), texts::kInfoValueYes) == 0;
    }

    profile.seatCount = info.NumberInRange(kParamSeats, 1, kMaxSeats, kDefaultSeats);
    profile.curbMass = info.NumberInRange(kParamCurbMass, 1, kMaxMass, kDefaultCurbMass);

    bool dateTaken = info.Read(kParamProductionDate) && IsDateText(info.Text());
    CopyText(profile.productionDate, dateTaken ? info.Text() : kDefaultProductionDate);

    TakeBrandAndModel(plinth, info, profile);

    DeriveClassFlags(profile);

    TakeLoadRatio(info, profile);

    profile.brakeCode = info.MainCode(kParamBrakeSystem, kDefaultBrake);
    profile.vehicleKind = info.MainCode(kParamVehicleKind, kDefaultVehicleKind);
    profile.lampCode = info.MainCode(kParamLampSystem, kDefaultLamps);
    profile.maxSpeed = info.Read(kParamMaxSpeed) ? info.Decimal() : kDefaultMaxSpeed;
    profile.powerKw = info.Read(kParamPower) ? info.Decimal() : kDefaultPower;
    profile.isNewRegistration =
        info.Read(kParamNewRegistration) && plinth.GetMainID(info.Number()) == kRegistrationNew;

    profile.displacement = kDefaultDisplacement;
    if (info.Read(kParamDisplacement)) {
        float displacement = info.Decimal();
        if (displacement > 0) profile.displacement = displacement;
    }

    profile.strokeCount = info.NumberInRange(kParamStrokes, 1, kMaxStrokes, kDefaultStrokes);
    profile.intakeCode = info.MainCode(kParamIntake, kDefaultIntake);

    // Without their parameter these three keep the previous vehicle's values.
    if (info.Read(kParamModel)) profile.modelNumber = info.Number();
    if (info.Read(kParamFuel)) profile.isPetrol = info.Number() == kFuelDiesel ? 0 : 1;
    if (info.Read(kParamGear)) profile.gearCode = info.Number();

    // The drive type decides item 212's axle text; a vehicle without one gets
    // the single-axle default, not the previous vehicle's type.
    profile.axleCode = info.MainCode(kParamDriveType, kDefaultAxle);
    return 1;
}

}  // namespace engine
