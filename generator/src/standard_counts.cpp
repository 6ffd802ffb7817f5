#include "generator/standard_counts.h"

#include "generator/series_key.h"
#include "generator/series_transfer.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace generator {

StandardCounts CountStandards(stationdb::Connection &connection) {
    const SeriesKeys seriesKeys(ListSeries(connection));
    StandardCounts counts;
    stationdb::Statement st(connection,
                            "select condition, count(*) from tb_id_standard group by condition",
                            stationdb::Statement::Direct{});
    st.Execute();
    while (st.Fetch()) {
        const std::string condition = st.Text(1);
        const long long rows = platform::IntegerOf(st.View(2));
        (seriesKeys.IsSeries(condition) ? counts.series : counts.national) += rows;
    }
    return counts;
}

}  // namespace generator
