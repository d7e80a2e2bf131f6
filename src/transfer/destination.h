// The destination folder of corvanetransfer, kept in the VantoraPC settings
// under "Transfer/Directories": "CLRoot", with "PCRoot" as the fallback.
#pragma once

#include <string>

namespace vantora {

// The stored destination (ending in a separator), or the default folder.
std::string TransferDestination();
// Stores `path` as "CLRoot".
void StoreTransferDestination(const std::string& path);
// "\my documents\vantora\corvane\" on Windows, ~/Documents/Vantora/Corvane/
// elsewhere.
std::string DefaultTransferDestination();

}  // namespace vantora
