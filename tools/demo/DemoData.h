// The demo data set: a complete small Data folder made by our own writers from
// generated content, so the game runs out of the box. Deterministic: the same
// call writes the same bytes.
#pragma once

#include <string>

// Writes every demo file into dataDir (created when missing); false on a write failure.
bool WriteDemoData(const std::string& dataDir);
