// The demo's English language file.
#pragma once

#include "tools/writers/LanguageFileWriter.h"

#include <string>

// The groups of the demo language file; group 0 names the 26 bindable actions,
// group 1 holds the 22 tutorial instructions.
LanguageGroups DemoLanguageGroups();
bool WriteDemoLanguage(const std::string& dataDir);
