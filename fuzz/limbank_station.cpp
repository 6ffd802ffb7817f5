#include "limbank_station.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "fuzz_support.h"
#include "platform/gbk.h"
#include "plinth.h"
#include "standards_source.h"
#include "vehicle_file.h"

namespace fuzz {
namespace {

template <class Fn>
Fn Entry(void *library, const char *name) {
    void *symbol = ::dlsym(library, name);
    if (symbol == nullptr) {
        std::fprintf(stderr, "liblimbank.so lacks %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Fn>(symbol);
}

// The sample station's standard file in `config`.
void WriteStandardFile(const std::string &config) {
    const std::string source = STATION_SOURCE_DIR "/host/sample-station/standards.tsv";
    std::ifstream in(source, std::ios::binary);
    store::StandardTable table;
    int rows = 0;
    std::string error;
    if (!in || !stdhost::ReadStandardsSource(in, source, table, rows, error) ||
        table.WriteFile(config + "/StandarFile.sfd") != 1) {
        std::fprintf(stderr, "cannot make the standard file from %s: %s\n", source.c_str(),
                     error.c_str());
        std::abort();
    }
}

Limbank Open() {
    const std::string station = ScratchDir() + "/station";
    const std::string config = station + "/config";
    std::filesystem::create_directories(config);
    WriteStandardFile(config);
    std::ofstream(station + "/plinth.ini")
        << "[env]\nconfigDirectory=" << config << "\ndatabaseLine=\nstationLine=\n";
    ::setenv("PLINTH_ENV", (station + "/plinth.ini").c_str(), 1);
    ::setenv("STATION_SYSDIR", STATION_LIB_DIR, 1);
    ::unsetenv("PLINTH_CODES");
    ::unsetenv("STATION_TRACE");

    void *library = ::dlopen(STATION_LIB_DIR "/liblimbank.so", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot open liblimbank.so: %s\n", ::dlerror());
        std::abort();
    }
    // Never closed: the process ends with it loaded, as a line program does.
    return Limbank{Entry<int (*)(void *)>(library, "ExtInitInfo"),
                   Entry<int (*)(void *)>(library, "ExtInitItem"),
                   Entry<int (*)(void *)>(library, "ExtGetStand")};
}

}  // namespace

const Limbank &OpenLimbank() {
    static const Limbank limbank = Open();
    return limbank;
}

void WriteSedanInfo(void *buffer) {
    static const std::vector<stdhost::InfoValue> values = stdhost::LoadVehicleFile(
        STATION_SOURCE_DIR "/host/sample-station/vehicles/1-sedan.vehicle", "--vehicle");
    std::memset(buffer, 0, PLINTH_BUFFER_BYTES);
    for (const auto &[id, utf8] : values) {
        std::string gbk;
        FUZZ_CHECK(platform::Utf8ToGbk(utf8, gbk));
        FUZZ_CHECK(WriteStdHead_Info(buffer, id, gbk.c_str()) == 1);
    }
}

}  // namespace fuzz
