// The destination folder of corvanetransfer, kept in the VantoraPC settings
// under "Transfer/Directories": "CLRoot", with "PCRoot" as the fallback.
#pragma once

#include <string>

namespace vantora {

// The stored destination (ending in a separator), or the default folder.
std::string TransferDestination();
// Stores `path` as "CLRoot".
void StoreTransferDestination(const std::string& path);
// Puts a copy of the finished file `source` at `target` without ever replacing
// a file there: the copy is written as a private scratch file in the target's
// folder and then given the name only if the name is free. An identical file
// at the name is kept as it is; a different one keeps its place and the copy
// takes the next free name beside it ("Room_01 (2).loc"). Returns the path
// used, or an empty text when the copy could not be written (nothing is left
// behind then; `error` receives the system's error number).
std::string PlaceNewFile(const std::string& source, const std::string& target,
                         int* error = nullptr);

// "\my documents\vantora\corvane\" on Windows, ~/Documents/Vantora/Corvane/
// elsewhere.
std::string DefaultTransferDestination();

}  // namespace vantora
