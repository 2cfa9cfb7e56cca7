// The program's dialog templates and icons, found by number as the window
// layer loads them.
#pragma once

#include "platform/core/resource_types.h"

namespace delvaro {

// nullptr when there is no such resource.
const DialogTemplate* FindDialogTemplate(unsigned id);
const IconResource* FindIconResource(unsigned id);

// The icon that stands for the program: its lowest-numbered icon.
const IconResource* ProgramIcon();

}  // namespace delvaro
