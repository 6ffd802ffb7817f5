#pragma once
// The standards editor's decisions and texts that do not depend on a widget
// set: what the lists show, what "生成" must do first, what a limit or a
// vehicle number typed by the user means, and the messages the editor
// composes. The Qt dialogs and the Win32 dialogs both call these, so that
// both front ends store and say the same. Every text is GBK.
#include <cstdint>
#include <string>
#include <vector>

#include "generator/catalogue.h"
#include "generator/default_standard.h"
#include "generator/limit_input.h"
#include "generator/mask_table.h"
#include "generator/series_standard.h"
#include "generator/standard_counts.h"

namespace bridges {
class PlinthBridge;
}

namespace generator {

// ---- the standards list -------------------------------------------------

// One row of the main list: the catalogue place it shows (the hidden index
// columns), the names and the limits as the list shows them.
struct ListRow {
    ParamPosition at;
    int32_t paramid = 0;
    std::string device;  // device name
    std::string item;    // item name
    std::string param;   // parameter name
    std::string upper;   // "%.2f" of the catalogue, "%g" of a default standard
    std::string lower;
};

// The rows of the catalogue in its order, masked parameters left out. An
// empty filter or "所有" takes every device, another text only the devices
// whose name equals it.
std::vector<ListRow> ListRows(const Catalogue &catalogue, const MaskTable &mask,
                              const std::string &filter);
// The rows of a default standard: every parameter it set (rows whose place
// the catalogue does not hold are left out).
std::vector<ListRow> DefaultRows(const Catalogue &catalogue, const std::vector<StandardRow> &rows);
// The limits of the catalogue place `at`, as the list shows them; false for
// a place outside the catalogue.
bool LimitTexts(const Catalogue &catalogue, const ParamPosition &at, std::string &upper,
                std::string &lower);
// Two places hold the same parameter of the same item: one row of
// tb_id_standard, so an edit of one shows at both.
bool SameParameter(const Catalogue &catalogue, const ParamPosition &a, const ParamPosition &b);

// "所有": the content filter's first entry.
const char *AllDevicesText();

// ---- the series the list holds ------------------------------------------

// What "生成" must do with the brand and series the boxes show, given the
// series whose limits the list holds (both "" before the first load).
enum class GenerateStep {
    kNoBrand,     // "没有厂牌名称!", focus to the brand box
    kNoSeries,    // "没有车型!", focus to the series box
    kLoadBrand,   // the brand differs: run the series cascade instead
    kLoadSeries,  // the series differs: load it instead
    kGenerate,    // the list holds this series: generate it
};
GenerateStep NextGenerateStep(const std::string &brand, const std::string &series,
                              const std::string &loadedBrand, const std::string &loadedSeries);

// ---- limits typed in the limit dialog -----------------------------------

enum class LimitField { kUpper, kLower };
// "上限 \"abc\" 不是数字!": why the typed text (blanks at its ends cut) was
// refused.
std::string LimitProblem(LimitField field, const std::string &typed, LimitInputError error);
// "限值只保留两位小数:\n上限 1.234 存为 1.23" for each limit that two
// decimals changed; "" when none.
std::string RoundingNote(const std::string &upperTyped, const LimitInput &upper,
                         const std::string &lowerTyped, const LimitInput &lower);

// ---- the conditions dialog ----------------------------------------------

// The label of condition field n (order of kVehicleConditionIds).
const char *ConditionLabel(std::size_t n);
// Checks the vehicle's numbers (the first five fields): a missing total or
// curb mass, or a text that is not one finite decimal number. A number
// typed in full-width characters, or with blanks at its ends, is rewritten
// in `conditions` as the ASCII the module reads.
struct ConditionsCheck {
    int field = -1;       // the first field refused, -1 when all are usable
    std::string problem;  // its message: "最大总质量不能为空!", "乘员数 \"x\" 不是数字!"
    explicit operator bool() const { return field < 0; }
};
ConditionsCheck CheckConditionNumbers(VehicleConditions &conditions);
// The value names of a coded parameter for its box: the names of its first
// 200 codes that have one, blanks at both ends cut, empty ones left out, in
// GBK byte order.
std::vector<std::string> ConditionNames(const bridges::PlinthBridge &plinth, int param);
// The fuel of this name is diesel: the intake box is used, the catalyst box
// is not.
bool IsDieselFuel(const bridges::PlinthBridge &plinth, const std::string &fuelName);

// ---- the mask dialog ----------------------------------------------------

// One row of the mask dialog, in catalogue order.
struct MaskRow {
    int32_t paramid = 0;
    std::string item;   // item name (under the heading "设备名称")
    std::string param;  // parameter name
};
std::vector<MaskRow> MaskRows(const Catalogue &catalogue);
// The rows' choices, one per parameter (its first row decides), in list
// order: a parameter listed under two devices is one parameter of the mask.
std::vector<MaskChoice> UniqueChoices(const std::vector<MaskChoice> &rows);

// ---- messages -----------------------------------------------------------

// What a generation wrote under `condition` and when the lines see it.
std::string GenerationReport(const std::string &condition, const GenerationResult &result);
// The clearing's question, with the rows it would delete.
std::string ClearQuestion(const StandardCounts &counts);
// `what` and the database's error on a second line.
std::string ErrorReport(const char *what, const char *error);

}  // namespace generator
