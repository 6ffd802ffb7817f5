// How stdhost's commands join the command line, and how bad usage is reported.
#include <CLI/CLI.hpp>
#include <charconv>
#include <utility>

#include "commands.h"
#include "station.h"

namespace stdhost {

CLI::Validator ChangeSetNumber() {
    return CLI::Validator(
        [](std::string &text) {
            long long id = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
            if (error == std::errc() && end == text.data() + text.size() && id >= 1)
                return std::string();
            return "a change set number is a whole number of 1 or more, not \"" + text + "\"";
        },
        "ID");
}

void AddOriginOptions(CLI::App *command, generator::ChangeOrigin &origin,
                      const std::string &program) {
    origin.program = program;
    command->add_option("--operator", origin.operatorName,
                        "who makes the change, as the history records it (default: "
                        "$STATION_OPERATOR, else the login name)");
    command->add_option("--comment", origin.comment, "why, as the history records it");
}

CLI::App *AddCommand(CLI::App &parent, CommandLine &line, const std::string &name,
                     const std::string &description, std::function<int()> work,
                     std::function<void(const CLI::App &command)> check) {
    CLI::App *command = parent.add_subcommand(name, description);
    // The final callback runs only for the chosen command, after CLI11 has
    // checked counts and positionals, so `check` sees complete options.
    command->callback([&line, command, work = std::move(work), check = std::move(check)] {
        if (check) check(*command);
        line.run = work;
    });
    return command;
}

int ReportParseError(const CLI::App &app, const CLI::ParseError &error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
        app.exit(error);  // --help: the help of the innermost chosen command
        return kExitOk;
    }
    std::string command;  // "judge", "series show": the chosen commands
    for (const CLI::App *chosen = &app; !chosen->get_subcommands().empty();) {
        chosen = chosen->get_subcommands().front();
        command += (command.empty() ? "" : " ") + chosen->get_name();
    }
    std::string message = error.what();
    // CLI11 reports a word that names no command as a missing command.
    if (command.empty() && !app.remaining().empty())
        message = "unknown command " + app.remaining().front();
    const std::string invocation = app.get_name() + (command.empty() ? "" : " " + command);
    Complain((command.empty() ? "" : command + ": ") + message + "\nRun '" + invocation +
             " --help' for the options.");
    return kExitUsage;
}

std::vector<InfoValue> ReadVehicleFile(const std::string &path, const std::string &option) {
    try {
        return LoadVehicleFile(path, option);
    } catch (const VehicleFileError &e) {
        throw CLI::ValidationError(e.Option(), e.Reason());
    }
}

std::vector<InfoValue> ReadDefaultVehicleFile(const std::string &path, const std::string &option) {
    try {
        return LoadDefaultVehicleFile(path, option);
    } catch (const VehicleFileError &e) {
        throw CLI::ValidationError(e.Option(), e.Reason());
    }
}

}  // namespace stdhost
