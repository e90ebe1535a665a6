// Files for the benchmark programs: the lists and the files they name, made
// in a folder of their own and removed afterwards.
#pragma once

#include <string>

namespace fendrel::bench {

// The folder of the running program, without a trailing backslash.
std::string ExecutableFolder();
bool WriteBytes(const std::string& path, const std::string& bytes);
// True when an open for writing meets a sharing violation: someone holds it.
bool Held(const std::string& path);
// The folder and everything in it; what cannot be deleted stays.
void DeleteTree(const std::string& folder);

}  // namespace fendrel::bench
