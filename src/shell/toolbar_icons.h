#pragma once
#include <QIcon>

#include "app/command_table.h"

namespace vellacor {

// The toolbar's 17 x 15 pictures, drawn as vectors at each screen scale so
// they stay sharp on high-density screens.
QIcon toolbarIcon(CommandId id);

}  // namespace vellacor
