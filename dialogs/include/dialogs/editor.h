#pragma once
// The standards editor as the plug-in shows it: ExtShow's work, and the
// offscreen rendering that stdhost uses for screenshots.
#include <string>

#include "ext_family.h"

namespace generator {
struct SergenModule;
}

namespace dialogs {

// When set and not empty (UTF-8), the editor is a framed top-level window
// with this title instead of the frameless dialog on the host's rectangle:
// for a host that hands over no window of its own (stdhost sets it).
inline constexpr char kOwnWindowTitleVariable[] = "STATION_EDITOR_TITLE";

// Runs the main standards dialog modally on the calling thread over
// `module`'s editor state and connection. Creates a QApplication when the
// process has none (it then lives until exit) after checking for a display:
// QT_QPA_PLATFORM naming offscreen or minimal, WAYLAND_DISPLAY, or a DISPLAY
// whose X server accepts a connection (xcb_connect); without one it traces "Sergen: no display" and
// returns -1002. Every widget is created here and deleted before return.
// `moduleAddress` is an address inside the plug-in (for the system
// directory). 1 after the dialog closed.
int ShowEditor(generator::SergenModule &module, ExtRect rect, const void *moduleAddress);

// Which dialog a screenshot shows.
enum class Screen { kMain, kConditions, kMask, kLimit };

// The dialog named "main", "conditions", "mask" or "limit"; false for any
// other name.
bool ScreenNamed(const std::string &name, Screen &screen);

// Renders `screen` filled from the module's station (brand and series in
// UTF-8, optional) to a PNG at `path`, on the offscreen platform, and
// returns without showing anything. False when the file cannot be written.
bool RenderScreenshot(generator::SergenModule &module, ExtRect rect, const void *moduleAddress,
                      Screen screen, const std::string &brandUtf8, const std::string &seriesUtf8,
                      const std::string &path);

}  // namespace dialogs
