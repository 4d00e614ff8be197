// The one folder a fuzz target may write to: made under the system's
// temporary folder when the target first needs it, emptied of the files an
// input leaves behind before the next input runs, and removed at exit.
#pragma once

#include <string>

namespace zelmot::fuzz {

// The folder's path, without a trailing '/'.
const std::string& SandboxDir();

// Removes every file in the folder (an input's files never reach the next).
void ClearSandbox();

// Writes bytes to name in the folder; aborts if it cannot.
void WriteSandboxFile(const std::string& name, const std::string& bytes);

// The whole content of a file, or an empty text when it does not exist.
std::string ReadWholeFile(const std::string& path);

}  // namespace zelmot::fuzz
