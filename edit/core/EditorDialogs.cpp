#include "EditorDialogs.h"

#include "DesignersDialog.h"

namespace gdl {}  // namespace gdl
