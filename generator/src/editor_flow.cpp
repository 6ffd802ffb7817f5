#include "generator/editor_flow.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <string_view>
#include <unordered_set>

#include "bridges/plinth_bridge.h"
#include "engine/registration_params.h"
#include "gbk_texts.h"
#include "platform/number_text.h"
#include "platform/value_text.h"

namespace generator {
namespace {

// Codes of a coded parameter that can carry a name for its box.
constexpr int kNamesPerBase = 200;

// Fills `format` (one of the GBK texts) with printf arguments.
std::string Format(const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

// A default standard's limit as the module gave it ("%g"), without the
// sign C prints for a negative zero or NaN.
std::string DefaultLimitText(float value) {
    if (std::isnan(value)) return "nan";
    if (value == 0) return "0";
    return Format("%g", static_cast<double>(value));
}

// The item a place of the catalogue belongs to; `at` must be in range.
int32_t ItemIdAt(const Catalogue &catalogue, const ParamPosition &at) {
    return catalogue.devices[static_cast<std::size_t>(at.device)]
        .items[static_cast<std::size_t>(at.item)]
        .itemid;
}

ListRow RowAt(const Catalogue &catalogue, const ParamPosition &at, const CatalogueParam &param) {
    const CatalogueDevice &device = catalogue.devices[static_cast<std::size_t>(at.device)];
    ListRow row;
    row.at = at;
    row.paramid = param.paramid;
    row.device = device.devname;
    row.item = device.items[static_cast<std::size_t>(at.item)].itemname;
    row.param = param.paramname;
    return row;
}

// ASCII blanks and the full-width space (GBK 0xA1 0xA1): what a user's
// blanks at the ends of a field can be.
std::size_t BlankBytes(std::string_view gbk, std::size_t at) {
    const auto c = static_cast<unsigned char>(gbk[at]);
    if (c == ' ' || (c >= '\t' && c <= '\r')) return 1;
    if (c == 0xA1 && at + 1 < gbk.size() && static_cast<unsigned char>(gbk[at + 1]) == 0xA1)
        return 2;
    return 0;
}

// `gbk` without blanks at its ends, walked character by character so that a
// trail byte is never taken for a blank.
std::string TrimTyped(std::string_view gbk) {
    std::size_t first = gbk.size(), end = 0;
    for (std::size_t at = 0; at < gbk.size();) {
        std::size_t bytes = BlankBytes(gbk, at);
        if (bytes == 0) {
            bytes = static_cast<unsigned char>(gbk[at]) >= 0x80 && at + 1 < gbk.size() ? 2 : 1;
            first = std::min(first, at);
            end = at + bytes;
        }
        at += bytes;
    }
    return first < end ? std::string(gbk.substr(first, end - first)) : std::string();
}

// A trimmed number as typed: full-width forms (GBK 0xA3 0xA1..0xFE) read as
// their ASCII ones. "" unless it is one finite decimal number.
std::string NumberText(std::string_view typed) {
    std::string ascii;
    for (std::size_t at = 0; at < typed.size(); ++at) {
        const auto c = static_cast<unsigned char>(typed[at]);
        const auto trail = at + 1 < typed.size() ? static_cast<unsigned char>(typed[at + 1]) : 0;
        if (c == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            ascii += static_cast<char>(trail - 0x80);
            ++at;
            continue;
        }
        ascii += static_cast<char>(c);
    }
    for (char c : ascii)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return {};
    platform::NumberRules rules;
    rules.plusSign = true;
    const std::optional<double> value = platform::ParseDecimal(ascii, rules);
    return value && std::isfinite(*value) ? ascii : std::string();
}

constexpr const char *kConditionLabels[] = {
    texts::kConditionTotalMass,   texts::kConditionLoadRatio, texts::kConditionSeats,
    texts::kConditionMaxSpeed,    texts::kConditionCurbMass,  texts::kConditionDriveType,
    texts::kConditionVehicleKind, texts::kConditionFuel,      texts::kConditionLampSystem,
    texts::kConditionCatalyst,    texts::kConditionIntake,
};
static_assert(std::size(kConditionLabels) == kVehicleConditionIds.size());

// The vehicle's numbers are the first five fields; the masses must be given.
constexpr std::size_t kNumberFields = 5;
constexpr bool kRequired[kNumberFields] = {true, false, false, false, true};

}  // namespace

std::vector<ListRow> ListRows(const Catalogue &catalogue, const MaskTable &mask,
                              const std::string &filter) {
    const bool all = filter.empty() || filter == texts::kAllDevices;
    std::vector<ListRow> rows;
    catalogue.ForEachParam([&](const CatalogueDevice &device, const CatalogueItem &,
                               const CatalogueParam &param, const ParamPosition &at) {
        if ((!all && device.devname != filter) || mask.IsMasked(param.paramid)) return;
        ListRow row = RowAt(catalogue, at, param);
        row.upper = LimitText(param.hvalue);
        row.lower = LimitText(param.lvalue);
        rows.push_back(std::move(row));
    });
    return rows;
}

std::vector<ListRow> DefaultRows(const Catalogue &catalogue, const std::vector<StandardRow> &rows) {
    std::vector<ListRow> shown;
    for (const StandardRow &set : rows) {
        const CatalogueParam *param = catalogue.Find(set.at);
        if (param == nullptr) continue;
        ListRow row = RowAt(catalogue, set.at, *param);
        row.paramid = set.paramid;
        row.upper = DefaultLimitText(set.hvalue);
        row.lower = DefaultLimitText(set.lvalue);
        shown.push_back(std::move(row));
    }
    return shown;
}

bool LimitTexts(const Catalogue &catalogue, const ParamPosition &at, std::string &upper,
                std::string &lower) {
    const CatalogueParam *param = catalogue.Find(at);
    if (param == nullptr) return false;
    upper = LimitText(param->hvalue);
    lower = LimitText(param->lvalue);
    return true;
}

bool SameParameter(const Catalogue &catalogue, const ParamPosition &a, const ParamPosition &b) {
    const CatalogueParam *first = catalogue.Find(a), *second = catalogue.Find(b);
    return first != nullptr && second != nullptr && first->paramid == second->paramid &&
           ItemIdAt(catalogue, a) == ItemIdAt(catalogue, b);
}

const char *AllDevicesText() {
    return texts::kAllDevices;
}

GenerateStep NextGenerateStep(const std::string &brand, const std::string &series,
                              const std::string &loadedBrand, const std::string &loadedSeries) {
    if (brand.empty()) return GenerateStep::kNoBrand;
    if (series.empty()) return GenerateStep::kNoSeries;
    // The list holds the limits of the series last loaded: another name is
    // loaded first, so that what is stored is what the user saw under it.
    if (brand != loadedBrand) return GenerateStep::kLoadBrand;
    if (series != loadedSeries) return GenerateStep::kLoadSeries;
    return GenerateStep::kGenerate;
}

std::string LimitProblem(LimitField field, const std::string &typed, LimitInputError error) {
    const char *word =
        field == LimitField::kUpper ? texts::kLimitUpperWord : texts::kLimitLowerWord;
    return Format(texts::kLimitProblem, word, TrimTyped(typed).c_str(), LimitInputReason(error));
}

std::string RoundingNote(const std::string &upperTyped, const LimitInput &upper,
                         const std::string &lowerTyped, const LimitInput &lower) {
    std::string note;
    const auto line = [&note](const char *word, const std::string &typed, const LimitInput &limit) {
        if (limit.rounded)
            note +=
                Format(texts::kRoundingLine, word, TrimTyped(typed).c_str(), limit.stored.c_str());
    };
    line(texts::kLimitUpperWord, upperTyped, upper);
    line(texts::kLimitLowerWord, lowerTyped, lower);
    return note.empty() ? note : texts::kRoundingNote + note;
}

const char *ConditionLabel(std::size_t n) {
    return n < std::size(kConditionLabels) ? kConditionLabels[n] : "";
}

ConditionsCheck CheckConditionNumbers(VehicleConditions &conditions) {
    ConditionsCheck check;
    for (std::size_t n = 0; n < kNumberFields; ++n) {
        const std::string typed = TrimTyped(conditions[n]);
        if (typed.empty()) {
            if (!kRequired[n]) continue;
            check.problem = Format(texts::kConditionMissing, ConditionLabel(n));
        } else if (std::string number = NumberText(typed); number.empty()) {
            check.problem = Format(texts::kConditionNotANumber, ConditionLabel(n), typed.c_str());
        } else {
            conditions[n] = std::move(number);
            continue;
        }
        check.field = static_cast<int>(n);
        return check;
    }
    return check;
}

std::vector<std::string> ConditionNames(const bridges::PlinthBridge &plinth, int param) {
    std::vector<std::string> names;
    const int first = engine::ParamCode(param, 1);
    for (int i = 0; i < kNamesPerBase; ++i) {
        char name[PLINTH_NAME_BYTES] = {};
        if (plinth.GetZK2IDInfo(first + i, name) <= 0) continue;
        const std::string_view text(name);
        const auto from = text.find_first_not_of(' ');
        if (from == std::string_view::npos) continue;
        names.emplace_back(text.substr(from, text.find_last_not_of(' ') - from + 1));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsDieselFuel(const bridges::PlinthBridge &plinth, const std::string &fuelName) {
    char code[PLINTH_NAME_BYTES] = {};
    return plinth.GetParamIDByName(fuelName.c_str(), engine::kParamFuel, code) > 0 &&
           platform::IntegerOf(code) == engine::kFuelDiesel;
}

std::vector<MaskRow> MaskRows(const Catalogue &catalogue) {
    std::vector<MaskRow> rows;
    catalogue.ForEachParam([&rows](const CatalogueDevice &, const CatalogueItem &item,
                                   const CatalogueParam &param, const ParamPosition &) {
        rows.push_back({param.paramid, item.itemname, param.paramname});
    });
    return rows;
}

std::vector<MaskChoice> UniqueChoices(const std::vector<MaskChoice> &rows) {
    std::vector<MaskChoice> choices;
    std::unordered_set<int32_t> seen;
    for (const MaskChoice &row : rows)
        if (seen.insert(row.paramid).second) choices.push_back(row);
    return choices;
}

std::string GenerationReport(const std::string &condition, const GenerationResult &result) {
    std::string rows;
    if (result.inserted > 0 && result.updated > 0)
        rows = Format(texts::kGenerationBoth, result.inserted, result.updated);
    else if (result.inserted > 0)
        rows = Format(texts::kGenerationInserted, result.inserted);
    else
        rows = Format(texts::kGenerationUpdated, result.updated);
    return Format(texts::kGenerationReport, condition.c_str(), rows.c_str(),
                  result.stamp.before.c_str(), result.stamp.after.c_str());
}

std::string ClearQuestion(const StandardCounts &counts) {
    return texts::kClearStandardsAsk +
           Format(texts::kClearStandardsCounts, counts.Total(), counts.national, counts.series);
}

std::string ErrorReport(const char *what, const char *error) {
    return std::string(what != nullptr ? what : "") + '\n' + (error != nullptr ? error : "");
}

}  // namespace generator
