// Writes the seed files of the fuzz corpora that are made, not copied: the
// sample station's vehicles as information buffers, item and standard
// buffers, standard files and their readable sources cut from
// host/sample-station/standards.tsv, parameter masks and INI files, each
// written by the code that writes them for a station.
//   fuzz_make_seeds <corpus directory>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fuzz_support.h"
#include "generator/mask_table.h"
#include "limbank_station.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "standards_source.h"
#include "store/item_set.h"
#include "vehicle_file.h"

namespace {

namespace fs = std::filesystem;

std::string corpus;

// The bytes of an exchange buffer that are in use: head and entries.
std::string Used(const void *buffer) {
    const long payload = fuzz::ValidPayload(static_cast<const char *>(buffer));
    FUZZ_CHECK(payload >= 0);
    return std::string(static_cast<const char *>(buffer), sizeof(StdHead) + payload);
}

void Write(const std::string &target, const std::string &name, const std::string &bytes) {
    fs::create_directories(corpus + "/" + target);
    std::ofstream out(corpus + "/" + target + "/" + name, std::ios::binary | std::ios::trunc);
    out << bytes;
    FUZZ_CHECK(out.good());
}

void InfoBuffer(const std::string &vehicle, void *buffer) {
    std::memset(buffer, 0, PLINTH_BUFFER_BYTES);
    for (const auto &[id, utf8] : stdhost::LoadVehicleFile(
             STATION_SOURCE_DIR "/host/sample-station/vehicles/" + vehicle + ".vehicle", "-")) {
        std::string gbk;
        FUZZ_CHECK(platform::Utf8ToGbk(utf8, gbk));
        FUZZ_CHECK(WriteStdHead_Info(buffer, id, gbk.c_str()) == 1);
    }
}

std::string ItemBuffer(std::size_t first, std::size_t count, void *buffer) {
    std::memset(buffer, 0, PLINTH_BUFFER_BYTES);
    StdHead head{};
    head.magic[0] = 0x55;
    head.magic[1] = 0xAA;
    head.version[0] = head.version[1] = head.version[2] = 1;
    head.kind = PLINTH_KIND_ITEM;
    FUZZ_CHECK(WriteStdHead(buffer, &head) == 1);
    for (std::size_t i = first; i < first + count && i < store::kStandardItems.size(); ++i)
        FUZZ_CHECK(WriteStdHead_Item(buffer, store::kStandardItems[i].itemId, 1) == 1);
    return Used(buffer);
}

// The sample's comment header and the limit lines `keep` chooses, as a
// readable source and as the standard file build-standards makes of it.
void StandardsSeed(const std::string &name, bool (*keep)(int limitLine)) {
    std::ifstream in(STATION_SOURCE_DIR "/host/sample-station/standards.tsv", std::ios::binary);
    std::string line, text;
    for (int limit = 0; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            if (limit == 0) text += line + "\n";
            continue;
        }
        if (keep(limit++)) text += line + "\n";
    }
    Write("standards_source", name + ".tsv", text);
    std::istringstream source(text);
    store::StandardTable table;
    int rows = 0;
    std::string error;
    FUZZ_CHECK(stdhost::ReadStandardsSource(source, name, table, rows, error));
    const std::string sfd = fuzz::ScratchDir() + "/seed.sfd";
    FUZZ_CHECK(table.WriteFile(sfd) == 1);
    Write("standard_file", name + ".sfd", fuzz::ReadBytes(sfd));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY\n", argv[0]);
        return 2;
    }
    corpus = argv[1];
    fuzz::ExchangeBuffer buffer, standard;

    // Standard files and their sources: the first limits, and limits spread
    // over every device of the sample.
    StandardsSeed("sample-head", [](int n) { return n < 40; });
    StandardsSeed("sample-spread", [](int n) { return n % 29 == 0; });

    // The vehicles as a line program hands them over.
    for (const char *vehicle : {"1-sedan", "2-heavy-truck", "3-motorcycle", "4-foreign-car"}) {
        InfoBuffer(vehicle, buffer.Data());
        Write("vehicle_intake", std::string(vehicle) + ".info", Used(buffer.Data()));
    }
    InfoBuffer("1-sedan", buffer.Data());
    Write("plinth_buffers", "sedan.info", Used(buffer.Data()));

    // The sedan's limits as the plug-in writes them; the sedan's information
    // followed by them is a host that hands over a filled standard buffer.
    const fuzz::Limbank &limbank = fuzz::OpenLimbank();
    FUZZ_CHECK(limbank.initItem(nullptr) == -1000);
    FUZZ_CHECK(limbank.initInfo(buffer.Data()) == 1);
    std::memset(standard.Data(), 0, PLINTH_BUFFER_BYTES);
    FUZZ_CHECK(limbank.getStand(standard.Data()) > 0);
    Write("plinth_buffers", "sedan.std", Used(standard.Data()));
    InfoBuffer("2-heavy-truck", buffer.Data());
    Write("vehicle_intake", "2-heavy-truck-with-sedan-limits.info",
          Used(buffer.Data()) + Used(standard.Data()));

    // Item buffers: the brake items, every item, none.
    Write("plinth_buffers", "brakes.item", ItemBuffer(1, 8, buffer.Data()));
    Write("item_selection", "brakes.item", ItemBuffer(1, 8, buffer.Data()));
    Write("item_selection", "all.item", ItemBuffer(0, store::kItemCount, buffer.Data()));
    Write("item_selection", "none.item", ItemBuffer(0, 0, buffer.Data()));

    // Masks as the mask dialog saves them: a few parameters, then one of
    // them cleared again.
    const std::string mask = fuzz::ScratchDir() + "/" + generator::kMaskFileName;
    generator::MaskTable table;
    FUZZ_CHECK(table.ChangeMask({{2161, true}, {2162, true}, {2231, true}, {1011, true}}, mask) ==
               generator::MaskChangeResult::kSaved);
    Write("mask_file", "four-masked.cfg", fuzz::ReadBytes(mask));
    FUZZ_CHECK(table.ChangeMask({{2162, false}}, mask) == generator::MaskChangeResult::kSaved);
    Write("mask_file", "one-cleared.cfg", fuzz::ReadBytes(mask));

    // INI files of a station: plinth.ini from the template, memstd.ini as the
    // loader writes it, the shipped odbcinst.ini.
    std::string plinth = fuzz::ReadBytes(STATION_SOURCE_DIR "/host/sample-station/plinth.ini.in");
    for (std::size_t at; (at = plinth.find("@STATION_DIR@")) != std::string::npos;)
        plinth.replace(at, 13, "/srv/station");
    Write("ini_file", "plinth.ini", plinth);
    const std::string memstd = fuzz::ScratchDir() + "/memstd.ini";
    FUZZ_CHECK(platform::WriteProfileString(memstd, "CREATETIME", "TIME", "20261208"));
    Write("ini_file", "memstd.ini", fuzz::ReadBytes(memstd));
    Write("ini_file", "odbcinst.ini",
          fuzz::ReadBytes(STATION_SOURCE_DIR "/stationdb/odbcinst.ini"));
    return 0;
}
