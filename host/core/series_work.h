#pragma once
// The series editor's work as stdhost does it on the station's database:
// brands, series, a series' catalogue with its stored limits, generating a
// series, export and import of every series standard, the mask and clearing
// the standard table. Each function returns what it found or did; texts are
// UTF-8. A failure has been reported on standard error (as the station
// functions do) and leaves exitCode other than kExitOk; the rest of the
// result is then empty. Notes are what the caller prints on standard error
// whatever the exit code.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "generator/limit_history.h"
#include "generator/limit_input.h"
#include "generator/modify_stamp.h"

namespace stdhost {

// brands PREFIX: the brands whose letter code starts with the prefix.
struct BrandList {
    int exitCode = 0;
    std::string prefix;
    std::vector<std::string> brands;
};
BrandList ListBrands(const std::string &stationOption, const std::string &prefixUtf8);

// series-list BRAND: the series tb_type_vehicle lists for the brand.
struct SeriesNames {
    int exitCode = 0;
    std::string brand;
    std::vector<std::string> series;
};
SeriesNames ListSeries(const std::string &stationOption, const std::string &brandUtf8);

// One parameter of the catalogue with the limits stored for a series.
struct CatalogueRow {
    int32_t devid = 0;
    std::string device;
    int32_t itemid = 0;
    std::string item;
    int32_t paramid = 0;
    std::string name;
    float upper = 0, lower = 0;
    bool masked = false;  // masked from default standards
};

// series show BRAND SERIES.
struct SeriesView {
    int exitCode = 0;
    std::string condition;  // the series' condition text
    std::vector<CatalogueRow> params;
};
SeriesView ShowSeries(const std::string &stationOption, const std::string &brandUtf8,
                      const std::string &seriesUtf8);

// PARAMID=UPPER,LOWER of series generate --set.
struct LimitEdit {
    int paramid = 0;
    std::string upperText, lowerText;  // as given (UTF-8)
    generator::LimitInput upper, lower;
};

struct GenerateRequest {
    std::string brand, series;  // UTF-8
    std::string vehicle;        // the --default vehicle file, "" for none
    std::vector<LimitEdit> edits;
    generator::ChangeOrigin origin;  // who the history records
};

// series generate: the stored limits, the default standard of the vehicle
// (when given), then the edits, written for the series.
struct SeriesGeneration {
    int exitCode = 0;
    std::vector<std::string> notes;  // limits that two decimals changed
    std::string error;               // why the write failed, printed after the notes
    std::string condition;
    long long inserted = 0, updated = 0;
    bool withDefault = false;     // a default standard was asked for
    std::size_t fromDefault = 0;  // the limits it gave
    std::string fullModulePath;   // the module that computed it
    generator::StampChange stamp;
    long long changeSet = 0;  // the history's record of it; 0: none
};
SeriesGeneration GenerateSeries(const std::string &stationOption, const GenerateRequest &request);

// series export FILE.
struct SeriesExport {
    int exitCode = 0;
    std::size_t standards = 0, limits = 0;
    std::string file;
};
SeriesExport ExportSeries(const std::string &stationOption, const std::string &file);

// series import FILE: one entry per series standard written.
struct ImportedSeries {
    std::string condition;
    long long inserted = 0, updated = 0;
};
struct SeriesImport {
    int exitCode = 0;
    std::vector<std::string> notes;  // limits that two decimals changed
    std::vector<ImportedSeries> series;
    std::string file;
    generator::StampChange stamp;  // of the last write, when any
    long long changeSet = 0;
};
SeriesImport ImportSeries(const std::string &stationOption, const std::string &file,
                          const generator::ChangeOrigin &origin);

// mask show, and the mask after mask set / clear.
struct MaskedParam {
    int32_t paramid = 0;
    std::string name;  // "" when the catalogue lacks it
};
struct MaskView {
    int exitCode = 0;
    std::string file;  // the mask file
    std::vector<MaskedParam> masked;
};
MaskView ShowMask(const std::string &stationOption);
// Masks (`mask`) or unmasks the parameters; `masked` holds the mask after.
MaskView ChangeMask(const std::string &stationOption, const std::vector<int> &ids, bool mask);

// clear-standards.
struct StandardsCleared {
    int exitCode = 0;
    long long removed = 0;
    generator::StampChange stamp;
    long long changeSet = 0;
};
StandardsCleared ClearStandards(const std::string &stationOption,
                                const generator::ChangeOrigin &origin);

}  // namespace stdhost
