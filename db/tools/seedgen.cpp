// seedgen: writes the seed tables of a station database.
//
//   seedgen <output directory> [<source directory>]
//       writes <table>.tsv for every seed table; the sources default to the
//       hand-written files of the source tree (db/seed/source)
//   seedgen --conditions
//       lists every condition the national rules can produce (UTF-8:
//       item TAB condition)
//
// Exit status 0 on success, 1 with a message on standard error otherwise.
#include <cstdio>
#include <exception>
#include <string>

#include "engine/condition_walk.h"
#include "platform/atomic_file.h"
#include "platform/gbk.h"
#include "seed_tables.h"

namespace {

int ListConditions() {
    for (const engine::ReachableCondition &reachable : engine::ReachableConditions()) {
        std::printf("%d\t%s\n", reachable.itemId,
                    platform::GbkToUtf8OrThrow(reachable.condition).c_str());
    }
    return 0;
}

int WriteSeed(const std::string &outputDir, const std::string &sourceDir) {
    for (const seed::SeedTable &table : seed::GenerateSeed(sourceDir)) {
        const std::string path = outputDir + "/" + table.name + ".tsv";
        if (platform::WriteFileAtomically(path, table.Text()) != platform::AtomicWriteResult::kOk) {
            std::fprintf(stderr, "seedgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    try {
        if (argc == 2 && std::string(argv[1]) == "--conditions") return ListConditions();
        if (argc == 2 || argc == 3) {
            return WriteSeed(argv[1], argc == 3 ? argv[2] : STATION_SEED_SOURCE_DIR);
        }
        std::fprintf(stderr,
                     "usage: seedgen <output directory> [<source directory>]\n"
                     "       seedgen --conditions\n");
        return 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "seedgen: %s\n", error.what());
        return 1;
    }
}
