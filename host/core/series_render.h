#pragma once
// What the series commands print: text for a person, JSON for a program
// (through to_json). Nothing here queries anything.
#include "json_output.h"
#include "series_work.h"

namespace stdhost {

void to_json(Json &j, const BrandList &brands);
void to_json(Json &j, const SeriesNames &names);
void to_json(Json &j, const CatalogueRow &row);
void to_json(Json &j, const SeriesView &view);
void to_json(Json &j, const SeriesGeneration &generation);
void to_json(Json &j, const MaskedParam &param);
void to_json(Json &j, const MaskView &mask);

// One name a line.
void PrintBrandsText(const BrandList &brands);
void PrintSeriesNamesText(const SeriesNames &names);
// The heading and the catalogue as a table, masked parameters starred.
void PrintSeriesViewText(const SeriesView &view);
void PrintGenerationText(const SeriesGeneration &generation);
void PrintExportText(const SeriesExport &result);
void PrintImportText(const SeriesImport &result);
void PrintMaskText(const MaskView &mask);
// "FILE: N parameters masked" after a change.
void PrintMaskChangeText(const MaskView &mask);
void PrintClearedText(const StandardsCleared &result);

// "DBModifyTime A -> B: ..." for a write that moved the stamp on.
void PrintStampChange(const generator::StampChange &stamp);
// The history's change set of a write, when one was recorded.
void PrintChangeSet(long long id);

}  // namespace stdhost
