// The demo islands' shorelines, Map%d.ssh: surf along every stretch of the
// waterline, found by walking out from the island's middle in every
// direction (and, for the lagoon, in from the rim) to where the ground goes
// under the water.
#pragma once

#include "tools/writers/ShoreLinesWriter.h"

#include <string>

namespace demo
{
ShoreLinesFile DemoShoreLines(int number);
bool WriteDemoShoreLines(const std::string& dataDir);
} // namespace demo
