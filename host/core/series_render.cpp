#include "series_render.h"

#include <algorithm>
#include <cstdio>

#include "gbk_texts.h"
#include "platform/gbk.h"
#include "station.h"
#include "terminal_text.h"

namespace stdhost {

void to_json(Json &j, const BrandList &brands) {
    j = Json{{"prefix", brands.prefix}, {"brands", brands.brands}};
}

void to_json(Json &j, const SeriesNames &names) {
    j = Json{{"brand", names.brand}, {"series", names.series}};
}

void to_json(Json &j, const CatalogueRow &row) {
    j = Json::object();
    j["devid"] = row.devid;
    j["device"] = row.device;
    j["itemid"] = row.itemid;
    j["item"] = row.item;
    j["paramid"] = row.paramid;
    j["name"] = row.name;
    j["upper"] = LimitJson(row.upper);
    j["lower"] = LimitJson(row.lower);
    j["masked"] = row.masked;
}

void to_json(Json &j, const SeriesView &view) {
    Json params = Json::array();
    for (const CatalogueRow &row : view.params) params.push_back(row);
    j = Json{{"condition", view.condition}, {"params", params}};
}

void to_json(Json &j, const SeriesGeneration &g) {
    j = Json{{"condition", g.condition},
             {"inserted", g.inserted},
             {"updated", g.updated},
             {"default", g.fromDefault},
             {"stamp", {{"before", g.stamp.before}, {"after", g.stamp.after}}},
             {"changeSet", g.changeSet}};
}

void to_json(Json &j, const MaskedParam &param) {
    j = Json{{"paramid", param.paramid}, {"name", param.name}};
}

void to_json(Json &j, const MaskView &mask) {
    Json list = Json::array();
    for (const MaskedParam &param : mask.masked) list.push_back(param);
    j = Json{{"file", mask.file}, {"masked", list}};
}

void PrintBrandsText(const BrandList &brands) {
    for (const auto &b : brands.brands) std::printf("%s\n", b.c_str());
}

void PrintSeriesNamesText(const SeriesNames &names) {
    for (const auto &name : names.series) std::printf("%s\n", name.c_str());
}

void PrintSeriesViewText(const SeriesView &view) {
    std::printf("series %s: %zu parameters (* masked from default standards)\n",
                view.condition.c_str(), view.params.size());
    std::size_t width[3] = {6, 4, 4};
    for (const CatalogueRow &r : view.params) {
        width[0] = std::max(width[0], DisplayWidth(r.device));
        width[1] = std::max(width[1], DisplayWidth(r.item));
        width[2] = std::max(width[2], DisplayWidth(r.name));
    }
    std::printf("%s %-6s %s %-7s %s %12s %12s  masked\n", Pad("device", width[0]).c_str(), "item",
                Pad("", width[1]).c_str(), "param", Pad("name", width[2]).c_str(), "upper",
                "lower");
    for (const CatalogueRow &r : view.params)
        std::printf("%s %-6d %s %-7d %s %12s %12s  %s\n", Pad(r.device, width[0]).c_str(), r.itemid,
                    Pad(r.item, width[1]).c_str(), r.paramid, Pad(r.name, width[2]).c_str(),
                    LimitText(r.upper).c_str(), LimitText(r.lower).c_str(), r.masked ? "*" : "");
}

void PrintGenerationText(const SeriesGeneration &g) {
    if (g.withDefault)
        std::printf("default standard: %zu limits from %s\n", g.fromDefault,
                    g.fullModulePath.c_str());
    std::printf("series %s: %lld rows inserted, %lld updated\n", g.condition.c_str(), g.inserted,
                g.updated);
    PrintStampChange(g.stamp);
    PrintChangeSet(g.changeSet);
}

void PrintExportText(const SeriesExport &result) {
    std::printf("exported %zu series standards, %zu limits, to %s\n", result.standards,
                result.limits, result.file.c_str());
}

void PrintImportText(const SeriesImport &result) {
    for (const ImportedSeries &s : result.series)
        std::printf("series %s: %lld rows inserted, %lld updated\n", s.condition.c_str(),
                    s.inserted, s.updated);
    std::printf("imported %zu series standards from %s\n", result.series.size(),
                result.file.c_str());
    if (!result.series.empty()) PrintStampChange(result.stamp);
    PrintChangeSet(result.changeSet);
}

void PrintMaskText(const MaskView &mask) {
    std::printf("%s: %zu parameters masked from default standards\n", mask.file.c_str(),
                mask.masked.size());
    for (const MaskedParam &p : mask.masked) std::printf("%-7d %s\n", p.paramid, p.name.c_str());
}

void PrintMaskChangeText(const MaskView &mask) {
    std::printf("%s: %zu parameters masked\n", mask.file.c_str(), mask.masked.size());
}

void PrintClearedText(const StandardsCleared &result) {
    std::printf("%s\n", platform::GbkToUtf8Lossy(texts::kClearStandardsDone).c_str());
    std::printf("%lld rows removed from tb_id_standard\n", result.removed);
    PrintStampChange(result.stamp);
    PrintChangeSet(result.changeSet);
}

void PrintChangeSet(long long id) {
    if (id > 0)
        std::printf("recorded in the history as change set %lld (stdhost history show %lld)\n", id,
                    id);
}

void PrintStampChange(const generator::StampChange &stamp) {
    std::printf("DBModifyTime %s -> %s: the lines load the new limits at their next reload\n",
                stamp.before.empty() ? "(none)" : stamp.before.c_str(), stamp.after.c_str());
}

}  // namespace stdhost
