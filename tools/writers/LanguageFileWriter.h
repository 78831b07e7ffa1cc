// Writer of the language file (LANG.lng / LANG%s.lng): a group count, then per
// group a string count and its length-prefixed strings.
#pragma once

#include "platform/io/BinaryWriter.h"

#include <string>
#include <vector>

using LanguageGroups = std::vector<std::vector<std::string>>;

BinaryWriter BuildLanguageFile(const LanguageGroups& groups);
bool WriteLanguageFile(const std::string& path, const LanguageGroups& groups);
