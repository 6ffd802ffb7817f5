#pragma once
// The standards editor as Sergen.dll shows it on Windows: the main dialog
// of the plug-in's resources, run modally on the host's thread.
#include "ext_family.h"

namespace generator {
struct SergenModule;
}

namespace dialogs::win32 {

// Runs the main standards dialog modally over the host's active window on
// `rect` (screen coordinates; an empty one keeps the template size, centred),
// over `module`'s editor state and connection. `moduleAddress` is an address
// inside the plug-in: its resources and its system directory. 1 after the
// dialog closed, -1002 when it could not be created.
int ShowEditor(generator::SergenModule &module, ExtRect rect, const void *moduleAddress);

}  // namespace dialogs::win32
