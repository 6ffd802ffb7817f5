// stdhost.exe opens no editor: on Windows the series editor is Sergen.dll,
// which the line program opens with ExtShow. The command stays in the list
// so that its help says where to find it.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "station.h"

namespace stdhost {

void AddEditorCommand(CLI::App &app, CommandLine &line) {
    CLI::App *editor = AddCommand(
        app, line, "editor",
        "Not in stdhost.exe: the line program opens the series editor (Sergen.dll, ExtShow); "
        "stdhost editor on Linux opens it from the command line.",
        [] {
            Complain(
                "stdhost.exe opens no editor: the line program opens Sergen.dll (ExtShow); on "
                "Linux, stdhost editor opens it from the command line");
            return static_cast<int>(kExitFailure);
        });
    editor->allow_extras();
}

}  // namespace stdhost
