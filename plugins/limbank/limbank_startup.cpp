#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gbk_texts.h"
#include "limbank_module.h"
#include "platform/trace.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace limbank {
namespace {

// A zero-terminated text of the environment record, never read past the record.
std::string EnvText(const std::vector<char> &env, std::size_t offset) {
    if (offset >= env.size()) return {};
    const char *start = env.data() + offset;
    return std::string(start, strnlen(start, env.size() - offset));
}

std::string Field(const bridges::PlinthBridge &plinth, const std::string &line, int n) {
    char out[PLINTH_FIELD_BYTES] = {};
    plinth.GetField(line.c_str(), out, n);
    out[PLINTH_FIELD_BYTES - 1] = '\0';
    return out;
}

bool FileExists(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The configuration directory, or "" with a notice and a trace line when it
// is empty or fills its field (then it may have been cut, and a cut path
// names another directory).
std::string ConfigDirectory(const std::vector<char> &env) {
    std::string directory = EnvText(env, PLINTH_ENV_CONFIG_DIRECTORY);
    if (directory.size() >= kConfigDirectoryFieldChars) {
        platform::Notice(texts::kConfigDirectoryCut);
        platform::TraceF(texts::kConfigDirectoryCutTrace,
                         static_cast<int>(kConfigDirectoryFieldChars));
        return {};
    }
    if (directory.empty()) {
        platform::Notice(texts::kNoConfigDirectory);
        platform::Trace(texts::kNoConfigDirectoryTrace);
    }
    return directory;
}

}  // namespace

int LoadAtStartup(LimbankModule &module) {
    if (!module.standardFilePath.empty() && FileExists(module.standardFilePath))
        return module.table.LoadFromFile(module.standardFilePath) == 1 ? 1 : 0;
    return store::LoadFromDatabase(module.database, module.table,
                                   store::FilesIn(module.configDirectory), 1);
}

int ReloadFromDatabase(LimbankModule &module) {
    return store::LoadFromDatabase(module.database, module.table,
                                   store::FilesIn(module.configDirectory), 0);
}

void Attach(LimbankModule &module, const void *moduleAddress) {
    platform::Trace(texts::kLimbankInitializing);

    const int loaded = module.plinth.LoadPlinth(kPlinthVariant, moduleAddress);
    // -1: the bridge has already given its notice for a missing library.
    if (loaded < 1 && loaded != -1) platform::Notice(texts::kPlinthLoadError);

    // The record is ours and of the one known size; a library that reports
    // a larger one (another version) would write past it, so it is not asked.
    const int reported = module.plinth.GetPlinthStrSize();
    module.plinthEnv.assign(PLINTH_ENV_SIZE, '\0');
    if (reported <= PLINTH_ENV_SIZE)
        module.plinth.GetPlinth(module.plinthEnv.data());
    else
        platform::TraceF("LIMBANK: Plinth reports a %d-byte environment record, not read\n",
                         reported);

    const std::string stationLine = EnvText(module.plinthEnv, PLINTH_ENV_STATION_LINE);
    std::string mode = Field(module.plinth, stationLine, kSeriesModeField);
    mode.resize(std::min(mode.size(), kSeriesModeFieldChars));
    module.seriesStandardMode = platform::IntegerOf(mode);

    module.configDirectory = ConfigDirectory(module.plinthEnv);
    module.standardFilePath = store::FilesIn(module.configDirectory).standardFile;

    const std::string databaseLine = EnvText(module.plinthEnv, PLINTH_ENV_DATABASE_LINE);
    module.connectString = stationdb::ConnectStringFor(Field(module.plinth, databaseLine, 0),
                                                       Field(module.plinth, databaseLine, 5),
                                                       Field(module.plinth, databaseLine, 6));
    module.connectString.resize(std::min(module.connectString.size(), kConnectStringChars));
    module.database.SetConnectString(module.connectString);

    // Every item the table holds or the line index named is selected after
    // any pass that did not end at once (no connection, no device): also
    // when a later stage failed or the file could not be written, so that a
    // reload that then fills the table has its items selected.
    const int filled = LoadAtStartup(module);
    if (filled != 0 || module.table.RecordCount() > 0) module.table.CopyPresentItems(module.items);
}

void Detach(LimbankModule &module) {
    platform::Trace(texts::kLimbankTerminating);
    module.plinth.UnloadPlinth();
}

}  // namespace limbank
