// The file kinds qv7-dump knows: each reads a file with the game's own loader
// and prints what the loader kept as one JSON object.
#pragma once

#include <string>
#include <vector>

class JsonWriter;

struct DumpRequest
{
    std::string path;              // the file as given on the command line
    std::string folder;            // its folder, ending in '/' ("./" for a bare name)
    std::string fileName;          // the name alone, as the kinds match it
    std::vector<std::string> args; // whatever followed the file (queries and the like)
};

// Returns true when the loader accepted the file. A refusal is either false
// or a CDException; its log lines have already gone to stderr.
using DumpFunction = bool (*)(const DumpRequest& request, JsonWriter& out);

struct DumpKind
{
    const char* name;                             // shown by --help, e.g. "Map%d.map"
    bool (*matches)(const std::string& fileName); // by the file's name alone
    DumpFunction dump;
};

// Every kind, in the order they are tried.
const std::vector<DumpKind>& DumpKinds();

// True when name is prefix, an optional minus sign, one or more digits, then
// suffix, compared without regard to case ("Map%d.map" and the like).
bool MatchesNumberedName(const std::string& name, const char* prefix, const char* suffix);
// True when name equals expected, compared without regard to case.
bool MatchesName(const std::string& name, const char* expected);
// The number in a numbered name; MatchesNumberedName must hold.
int NumberInName(const std::string& name, const char* prefix);
