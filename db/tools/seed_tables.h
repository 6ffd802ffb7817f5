#pragma once
// The seed of a station database: the tables a station's line software and
// the limits plug-ins read, generated from the hand-written sources (devices,
// items, parameters, brands, limit rules) and from the conditions the
// national rules can produce.
#include <string>
#include <vector>

#include "seed_tsv.h"

namespace seed {

// The modification stamp the seed's tb_status_memstd holds.
inline constexpr char kDbModifyTime[] = "20261208";

// Every seed table, in a fixed order, from the source files in `sourceDir`
// (devices.tsv, items.tsv, params.tsv, brands.tsv, limit_rules.tsv). Throws
// SeedError on any fault of the sources: a reachable condition without limits
// for some parameter of its item, a rule that matches nothing, a standard item
// that no device performs, an unknown device, item or parameter.
std::vector<SeedTable> GenerateSeed(const std::string &sourceDir);

}  // namespace seed
