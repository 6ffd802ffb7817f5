#pragma once
// Runs stdhost as a user does: a separate process, with none of the caller's
// station variables, so that it exports the station's own.
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace stdhost_test {

// The shipped data beside the built stdhost, and the sample sedan.
inline const std::string kDataDir = std::string(STATION_TEST_BIN_DIR) + "/../share/station-limits";
inline const std::string kSedan =
    std::string(STATION_TEST_SOURCE_DIR) + "/host/sample-station/vehicles/1-sedan.vehicle";

struct Outcome {
    int exitCode;
    std::string out;  // standard output and standard error
};

// `args` are shell words; `env` is "NAME=VALUE ..." put before the program.
inline Outcome RunStdhost(const std::string &args, const std::string &env = "") {
    const std::string command =
        "env -u STATION_SYSDIR -u PLINTH_ENV -u STATION_TRACE -u STATION_DIR -u ODBCINI "
        "-u ODBCSYSINI " +
        env + " " + STATION_TEST_BIN_DIR + "/stdhost " + args + " 2>&1";
    Outcome run{-1, ""};
    FILE *p = ::popen(command.c_str(), "r");
    if (p == nullptr) return run;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, p)) > 0) run.out.append(chunk, n);
    int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace stdhost_test
