#include "generator/series_key.h"

#include <cstdio>
#include <stdexcept>

#include "gbk_texts.h"
#include "generator/series_standard.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"
#include "store/condition_compare.h"

namespace generator {
namespace {

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string Trimmed(const std::string &text) {
    return std::string(platform::TrimBlanks(text));
}

std::string NameTooLong(const char *what, const std::string &name) {
    char text[512];
    std::snprintf(text, sizeof text, texts::kSeriesNameTooLong, what, name.c_str(), name.size(),
                  kIntakeNameBytes, kIntakeNameBytes / 2);
    return text;
}

}  // namespace

SeriesList ReadSeriesList(stationdb::Connection &connection) {
    stationdb::Statement st(connection,
                            "select distinct CPMC, CXXL from tb_type_vehicle order by CPMC, CXXL",
                            stationdb::Statement::Direct{});
    st.Execute();
    SeriesList list;
    while (st.Fetch()) {
        // Read unconverted: one row without a GBK form must not stop the rest.
        const std::string brandUtf8 = st.Utf8(1), seriesUtf8 = st.Utf8(2);
        SeriesId id;
        if (!platform::Utf8ToGbk(brandUtf8, id.brand) ||
            !platform::Utf8ToGbk(seriesUtf8, id.series)) {
            list.skipped.push_back(WithoutTrailingBlanks(brandUtf8) + "/" +
                                   WithoutTrailingBlanks(seriesUtf8));
            continue;
        }
        id.brand = WithoutTrailingBlanks(std::move(id.brand));
        id.series = WithoutTrailingBlanks(std::move(id.series));
        // Trailing blanks may make two stored pairs one.
        if (!list.series.empty() && list.series.back().brand == id.brand &&
            list.series.back().series == id.series)
            continue;
        list.series.push_back(std::move(id));
    }
    return list;
}

std::string SeriesKeyCut(const std::string &brand, const std::string &series) {
    const std::string b = Trimmed(brand), s = Trimmed(series);
    if (b.size() > kIntakeNameBytes) return NameTooLong(texts::kSeriesBrandWord, b);
    if (s.size() > kIntakeNameBytes) return NameTooLong(texts::kSeriesSeriesWord, s);
    return "";
}

std::vector<SeriesId> SeriesKeySharers(const std::vector<SeriesId> &listed,
                                       const std::string &brand, const std::string &series) {
    const std::string b = Trimmed(brand), s = Trimmed(series);
    const std::string key = store::FoldCondition(SeriesCondition(b, s));
    std::vector<SeriesId> sharers;
    for (const SeriesId &id : listed) {
        const std::string ob = Trimmed(id.brand), os = Trimmed(id.series);
        if (ob == b && os == s) continue;
        if (store::FoldCondition(SeriesCondition(ob, os)) != key) continue;
        sharers.push_back({ob, os});
    }
    return sharers;
}

void CheckSeriesKey(const std::vector<SeriesId> &listed, const std::string &brand,
                    const std::string &series) {
    if (std::string cut = SeriesKeyCut(brand, series); !cut.empty())
        throw std::invalid_argument(cut);
    const std::vector<SeriesId> sharers = SeriesKeySharers(listed, brand, series);
    if (sharers.empty()) return;
    char text[1024];
    std::snprintf(text, sizeof text, texts::kSeriesKeyShared, Trimmed(brand).c_str(),
                  Trimmed(series).c_str(), sharers[0].brand.c_str(), sharers[0].series.c_str(),
                  SeriesCondition(brand, series).c_str());
    throw std::invalid_argument(text);
}

SeriesKeys::SeriesKeys(const std::vector<SeriesId> &listed) {
    for (const SeriesId &id : listed)
        folded_.insert(store::FoldCondition(SeriesCondition(id.brand, id.series)));
}

bool SeriesKeys::IsSeries(std::string_view condition) const {
    return folded_.count(store::FoldCondition(platform::TrimBlanks(condition))) != 0;
}

}  // namespace generator
