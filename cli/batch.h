// The engine in bulk: what `lumtar-cli batch` does with its input.
#pragma once

#include <iosfwd>

namespace lumtar::cli {

// Reads JSON requests from `in`, one a line, and writes for each one line to
// `out`: the chart JSON `chart --json` (or, with "at", `annual --json`)
// prints for the same options, or {"error": TEXT} with the message that
// command would end with. All lines share one chart engine. Throws
// CommandError when `in` cannot be read.
void RunBatch(std::istream& in, std::ostream& out);

}  // namespace lumtar::cli
