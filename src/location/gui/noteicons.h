// The artwork of the panel's note icons and arrow buttons, drawn in code:
// 16 x 16 pixmaps on pure green (0, 255, 0), the transparent colour.
#pragma once

#include <QPixmap>

namespace vantora {

QPixmap MakeNoteIcon(int bitmap);

}  // namespace vantora
