// A line program in miniature, as the inspection lines in service use their
// standards module: it loads "Zk2GBStdALL.std" by name with LoadLibraryA
// (the program's directory first), the module finds Plinth.dll in the
// Windows system directory and reads the station's plinth.ini through it,
// and the program judges one vehicle with the Ext exports, building and
// reading the exchange buffers with Plinth.dll's own functions.
//
//   line_host VEHICLE_FILE
//
// VEHICLE_FILE holds ID=TEXT lines in UTF-8 ('#' starts a comment), as
// stdhost's vehicle files. Prints UTF-8. Exit 0 when the vehicle got limits.
// Plain Win32 and C++: nothing of the project but plinth.h and ext_family.h.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ext_family.h"
#include "plinth.h"

namespace {

constexpr UINT kGbk = 936;

std::string Convert(const std::string &in, UINT from, UINT to) {
    if (in.empty()) return in;
    const int wide = ::MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(),
                                           static_cast<int>(in.size()), nullptr, 0);
    if (wide <= 0) return {};
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), w.data(), wide);
    const int n = ::WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    ::WideCharToMultiByte(to, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
    return out;
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, n);
}

template <typename Fn>
Fn Entry(HMODULE module, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(::GetProcAddress(module, name)));
}

struct Plinth {
    decltype(&::WriteStdHead_Info) writeInfo;
    decltype(&::ParseStdHead) parseHead;
    decltype(&::ParseStdHead_Std_Idx) parseStd;
    decltype(&::GetZK2IDInfo) name;
};

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: line_host VEHICLE_FILE\n");
        return 2;
    }
    // Read the vehicle: ID=TEXT, texts converted to GBK for the buffer.
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "line_host: cannot read %s\n", argv[1]);
        return 2;
    }
    std::vector<std::pair<int, std::string>> info;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
        info.emplace_back(std::atoi(line.substr(0, eq).c_str()),
                          Convert(line.substr(eq + 1), CP_UTF8, kGbk));
    }

    HMODULE plinth = ::LoadLibraryA("Plinth.dll");
    if (plinth == nullptr) {
        std::fprintf(stderr, "line_host: Plinth.dll not found (error %lu)\n", ::GetLastError());
        return 3;
    }
    Plinth p{Entry<decltype(p.writeInfo)>(plinth, "WriteStdHead_Info"),
             Entry<decltype(p.parseHead)>(plinth, "ParseStdHead"),
             Entry<decltype(p.parseStd)>(plinth, "ParseStdHead_Std_Idx"),
             Entry<decltype(p.name)>(plinth, "GetZK2IDInfo")};
    HMODULE module = ::LoadLibraryA("Zk2GBStdALL.std");
    if (module == nullptr || p.writeInfo == nullptr || p.parseHead == nullptr ||
        p.parseStd == nullptr || p.name == nullptr) {
        std::fprintf(stderr, "line_host: Zk2GBStdALL.std not loaded (error %lu)\n",
                     ::GetLastError());
        return 3;
    }
    auto initInfo = Entry<decltype(&::ExtInitInfo)>(module, "ExtInitInfo");
    auto initItem = Entry<decltype(&::ExtInitItem)>(module, "ExtInitItem");
    auto getStand = Entry<decltype(&::ExtGetStand)>(module, "ExtGetStand");
    if (initInfo == nullptr || initItem == nullptr || getStand == nullptr) {
        std::fprintf(stderr, "line_host: Zk2GBStdALL.std lacks the Ext exports\n");
        return 3;
    }
    char system[MAX_PATH + 1] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    std::printf("system directory    %s\n", system);
    std::printf("Plinth.dll          %s\n", ModulePath(plinth).c_str());
    std::printf("standards module    %s\n", ModulePath(module).c_str());

    std::vector<unsigned char> infoBuffer(PLINTH_BUFFER_BYTES), standard(PLINTH_BUFFER_BYTES);
    for (const auto &[id, gbk] : info) p.writeInfo(infoBuffer.data(), id, gbk.c_str());
    const int taken = initInfo(infoBuffer.data());
    initItem(nullptr);  // every item the table holds
    const int items = getStand(standard.data());
    StdHead head{};
    const int count = p.parseHead(standard.data(), &head) == 1 ? head.count : 0;
    std::printf("ExtInitInfo         %d (%zu parameters)\n", taken, info.size());
    std::printf("ExtGetStand         %d items with limits, %d limits\n", items, count);
    std::printf("%-7s %-28s %12s %12s\n", "param", "name", "lower", "upper");
    for (int i = 0; i < count; ++i) {
        StdEntry e{};
        if (p.parseStd(standard.data(), i, &e) != 1) continue;
        char name[PLINTH_NAME_BYTES] = {};
        p.name(e.paramId, name);
        const std::string utf8 = Convert(name, kGbk, CP_UTF8);
        // Pad by display columns: a Chinese character takes two.
        int columns = 0;
        for (unsigned char c : utf8) columns += (c & 0xC0) != 0x80 ? (c >= 0xE0 ? 2 : 1) : 0;
        std::printf("%-7d %s%*s %12g %12g\n", e.paramId, utf8.c_str(),
                    columns < 28 ? 28 - columns : 0, "", static_cast<double>(e.lvalue),
                    static_cast<double>(e.hvalue));
    }
    ::FreeLibrary(module);
    ::FreeLibrary(plinth);
    return items > 0 ? 0 : 5;
}
