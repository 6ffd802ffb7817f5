// stdhost.exe has no standards editor: the editor plug-in needs Qt, which
// is not packaged for the Windows target. The command stays in the list so
// that its help says where to find it.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "station.h"

namespace stdhost {

void AddEditorCommand(CLI::App &app, CommandLine &line) {
    CLI::App *editor = AddCommand(
        app, line, "editor",
        "Not in the Windows build: the standards editor (Sergen) needs Qt; run stdhost editor "
        "on Linux.",
        [] {
            Complain(
                "the standards editor is not part of the Windows build (it needs Qt); run "
                "stdhost editor on Linux");
            return static_cast<int>(kExitFailure);
        });
    editor->allow_extras();
}

}  // namespace stdhost
