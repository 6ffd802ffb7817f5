#include "generator/series_transfer.h"

#include <map>
#include <stdexcept>
#include <unordered_map>

#include "history_chain.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "series_write.h"
#include "statements.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

// The series an import writes, as the history names its scope.
std::string ImportScope(const std::vector<SeriesStandard> &standards) {
    std::string scope;
    for (const SeriesStandard &standard : standards) {
        std::string condition;
        if (platform::TrimBlanks(standard.id.series).empty() ||
            !platform::GbkToUtf8(SeriesCondition(standard.id.brand, standard.id.series), condition))
            continue;
        scope += (scope.empty() ? "" : ", ") + condition;
    }
    return scope;
}

}  // namespace

std::vector<SeriesId> ListSeries(stationdb::Connection &connection) {
    return ReadSeriesList(connection).series;
}

std::vector<SeriesStandard> ExportSeriesStandards(stationdb::Connection &connection,
                                                  const Catalogue &catalogue) {
    std::unordered_map<std::string, std::unordered_map<uint64_t, std::pair<float, float>>> stored;
    stationdb::Statement st(connection,
                            "select itemid, condition, paramid, hvalue, lvalue from tb_id_standard",
                            stationdb::Statement::Direct{});
    st.Execute();
    while (st.Fetch())
        stored[std::string(platform::TrimBlanks(st.Text(2)))]
              [ParamKey(platform::IntegerOf(st.View(1)), platform::IntegerOf(st.View(3)))] = {
                  platform::FloatOf(st.View(4)), platform::FloatOf(st.View(5))};

    std::vector<SeriesStandard> standards;
    for (SeriesId &id : ListSeries(connection)) {
        if (platform::TrimBlanks(id.series).empty()) continue;
        auto rows = stored.find(SeriesCondition(id.brand, id.series));
        if (rows == stored.end()) continue;
        SeriesStandard standard{std::move(id), {}};
        catalogue.ForEachParam([&](const CatalogueDevice &, const CatalogueItem &item,
                                   const CatalogueParam &param, const ParamPosition &) {
            auto found = rows->second.find(ParamKey(item.itemid, param.paramid));
            SeriesLimit limit{item.itemid, param.paramid, 0, 0};
            if (found != rows->second.end()) std::tie(limit.hvalue, limit.lvalue) = found->second;
            standard.limits.push_back(limit);
        });
        standards.push_back(std::move(standard));
    }
    return standards;
}

std::vector<GenerationResult> ImportSeriesStandards(stationdb::Connection &connection,
                                                    Catalogue &catalogue,
                                                    const std::vector<SeriesStandard> &standards,
                                                    const ChangeOrigin &origin) {
    std::unordered_map<uint64_t, std::vector<CatalogueParam *>> places;
    catalogue.ForEachParam([&](const CatalogueDevice &, const CatalogueItem &item,
                               CatalogueParam &param, const ParamPosition &) {
        places[ParamKey(item.itemid, param.paramid)].push_back(&param);
    });
    for (const SeriesStandard &standard : standards)
        for (const SeriesLimit &limit : standard.limits)
            if (places.count(ParamKey(limit.itemid, limit.paramid)) == 0)
                throw std::invalid_argument("item " + std::to_string(limit.itemid) +
                                            " has no parameter " + std::to_string(limit.paramid) +
                                            " in the catalogue");

    for (const SeriesStandard &standard : standards) {
        if (std::string cut = SeriesKeyCut(standard.id.brand, standard.id.series); !cut.empty())
            throw std::invalid_argument(cut);
        for (const SeriesLimit &limit : standard.limits) {
            CatalogueParam given = *places[ParamKey(limit.itemid, limit.paramid)].front();
            given.hvalue = limit.hvalue;
            given.lvalue = limit.lvalue;
            CheckParamLimits(given);
        }
    }

    std::vector<GenerationResult> results;
    if (standards.empty()) return results;
    stationdb::Transaction transaction(connection);
    LockStandards(connection);
    const std::vector<SeriesId> listed = ReadSeriesList(connection).series;
    for (const SeriesStandard &standard : standards)
        CheckSeriesKey(listed, standard.id.brand, standard.id.series);
    history::ChangeRecorder recorder(connection, ChangeKind::kImport, ImportScope(standards),
                                     origin);
    for (const SeriesStandard &standard : standards) {
        if (platform::TrimBlanks(standard.id.series).empty()) {
            results.emplace_back();  // as a generation: a blank series is no series
            continue;
        }
        LoadSeriesLimits(&connection, catalogue, standard.id.brand, standard.id.series);
        for (const SeriesLimit &limit : standard.limits)
            for (CatalogueParam *param : places[ParamKey(limit.itemid, limit.paramid)]) {
                param->hvalue = limit.hvalue;
                param->lvalue = limit.lvalue;
            }
        // A stored limit the series keeps may be one that cannot be stored again.
        CheckCatalogueLimits(catalogue);
        results.push_back(
            WriteSeries(connection, catalogue, standard.id.brand, standard.id.series, recorder));
    }
    const long long changeSet = recorder.Write();
    const StampChange stamp = BumpModifyStamp(connection);
    for (GenerationResult &result : results) {
        result.stamp = stamp;
        result.changeSet = changeSet;
    }
    transaction.Commit();
    return results;
}

}  // namespace generator
