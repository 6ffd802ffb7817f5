#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gbk_texts.h"
#include "platform/trace.h"
#include "stationdb/stationdb.h"
#include "store/limbank_module.h"

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

}  // namespace

int LoadAtStartup(LimbankModule &module) {
    if (FileExists(module.standardFilePath))
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

    // A library that reports another record size must not write past ours.
    const int reported = module.plinth.GetPlinthStrSize();
    module.plinthEnv.assign(std::max(PLINTH_ENV_SIZE, reported), '\0');
    module.plinth.GetPlinth(module.plinthEnv.data());

    const std::string stationLine = EnvText(module.plinthEnv, PLINTH_ENV_STATION_LINE);
    std::string mode = Field(module.plinth, stationLine, kSeriesModeField);
    mode.resize(std::min(mode.size(), kSeriesModeFieldChars));
    module.seriesStandardMode = std::atoi(mode.c_str());

    module.configDirectory = EnvText(module.plinthEnv, PLINTH_ENV_CONFIG_DIRECTORY);
    module.standardFilePath = store::FilesIn(module.configDirectory).standardFile;

    const std::string databaseLine = EnvText(module.plinthEnv, PLINTH_ENV_DATABASE_LINE);
    module.connectString = stationdb::ConnectStringFor(Field(module.plinth, databaseLine, 0),
                                                       Field(module.plinth, databaseLine, 5),
                                                       Field(module.plinth, databaseLine, 6));
    module.connectString.resize(std::min(module.connectString.size(), kConnectStringChars));
    module.database.SetConnectString(module.connectString);

    // Every item the table holds is selected: after a file or a database
    // pass that read the table, even when the file could not be written
    // then (the table is served all the same).
    const int filled = LoadAtStartup(module);
    if (filled == 1 || module.table.RecordCount() > 0) module.table.CopyPresentItems(module.items);
}

void Detach(LimbankModule &module) {
    platform::Trace(texts::kLimbankTerminating);
    module.plinth.UnloadPlinth();
}

}  // namespace limbank
