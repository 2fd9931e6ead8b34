#pragma once
#include <string>
#include <vector>

namespace tolvane {

// Where a document of the program's own (the user guide, the release notes)
// is looked for, in order: the documentation folder of the installed program,
// <prefix>/share/doc/tolvane beside <prefix>/bin, then the docs folder the
// build links beside the program it makes.
std::vector<std::string> Document_Places(const std::string& program, const std::string& name);

// The first of places that exists, or empty when none does.
std::string First_Existing(const std::vector<std::string>& places);

// The whole text of a document; Toolkit_Error naming the file when it cannot
// be read or is too large to be one of ours.
std::string Read_Document(const std::string& path);

}  // namespace tolvane
