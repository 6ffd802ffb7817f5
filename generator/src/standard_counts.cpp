#include "generator/standard_counts.h"

#include <unordered_set>

#include "generator/series_standard.h"
#include "generator/series_transfer.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace generator {

StandardCounts CountStandards(stationdb::Connection &connection) {
    std::unordered_set<std::string> seriesConditions;
    for (const SeriesId &id : ListSeries(connection))
        seriesConditions.insert(SeriesCondition(id.brand, id.series));
    StandardCounts counts;
    stationdb::Statement st(connection,
                            "select condition, count(*) from tb_id_standard group by condition",
                            stationdb::Statement::Direct{});
    st.Execute();
    while (st.Fetch()) {
        const std::string condition(platform::TrimBlanks(st.Text(1)));
        const long long rows = platform::IntegerOf(st.View(2));
        (seriesConditions.count(condition) > 0 ? counts.series : counts.national) += rows;
    }
    return counts;
}

}  // namespace generator
