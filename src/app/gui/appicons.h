// Toolbar artwork of VantoraPC, drawn in code.
#pragma once

#include <QIcon>

namespace vantora {

QIcon ToolBarIcon(int commandId);

}  // namespace vantora
