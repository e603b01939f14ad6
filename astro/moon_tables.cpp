// Placeholder until the lunar series are generated.
#include "series_tables.h"

namespace lumtar::astro::detail {

const MoonTerm* const kMoonSeries[12] = {};
const int kMoonCounts[12] = {};

}  // namespace lumtar::astro::detail
