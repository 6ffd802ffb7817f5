#pragma once
// The key a series standard is stored under, "<brand>_<series>", as the
// lines find it: their series-mode intake reads the brand and the series
// each as one information text of 49 bytes, and their table lookup ignores
// ASCII case. A key the line would cut, or one that two listed brand and
// series pairs both form, cannot be served right and is refused before
// anything is written. Texts are GBK.
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace stationdb {
class Connection;
}

namespace generator {

// The room of one information text of the line's intake, without its NUL.
inline constexpr std::size_t kIntakeNameBytes = 49;

struct SeriesId {
    std::string brand;   // CPMC, trailing blanks removed
    std::string series;  // CXXL, trailing blanks removed
};

// The brand and series pairs of tb_type_vehicle, in brand then series order.
// A row whose brand or series has no GBK form cannot be a series of the
// line: it is left out and named in `skipped` (UTF-8, "brand/series").
struct SeriesList {
    std::vector<SeriesId> series;
    std::vector<std::string> skipped;
};
SeriesList ReadSeriesList(stationdb::Connection &connection);

// Why the line's intake would cut the key of brand and series (each without
// blanks at both ends), as a GBK text naming the name and the limit; "" when
// it fits.
std::string SeriesKeyCut(const std::string &brand, const std::string &series);

// The listed pairs other than brand and series themselves whose key is the
// same text for the line (blanks at both ends ignored, ASCII case ignored).
std::vector<SeriesId> SeriesKeySharers(const std::vector<SeriesId> &listed,
                                       const std::string &brand, const std::string &series);

// Throws std::invalid_argument (a GBK text for the user) when the key of
// brand and series would be cut, or when another pair of `listed` forms it.
void CheckSeriesKey(const std::vector<SeriesId> &listed, const std::string &brand,
                    const std::string &series);

// The series keys of the listed brand and series pairs, as the lines find
// a condition (blanks at both ends and ASCII case ignored). A row of
// tb_id_standard stored under one of them is a series standard of the
// station; every other row is national.
class SeriesKeys {
  public:
    explicit SeriesKeys(const std::vector<SeriesId> &listed);
    bool IsSeries(std::string_view condition) const;  // GBK

  private:
    std::unordered_set<std::string> folded_;
};

}  // namespace generator
