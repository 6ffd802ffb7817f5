#include "fuzz_support.h"

#include <sanitizer/asan_interface.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/coding.h"

namespace fuzz {
namespace {

struct Scratch {
    std::string dir;
    Scratch() {
        std::error_code ec;
        const char *given = std::getenv("FUZZ_SCRATCH");
        std::string base = given != nullptr && given[0] != '\0' ? given : "";
        if (base.empty() && std::filesystem::is_directory("/dev/shm", ec)) base = "/dev/shm";
        if (base.empty()) {
            const char *tmp = std::getenv("TMPDIR");
            base = tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp";
        }
        std::string pattern = base + "/station-fuzz.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        dir = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

}  // namespace

const std::string &ScratchDir() {
    static Scratch scratch;
    return scratch.dir;
}

std::string WriteScratch(const std::string &name, const uint8_t *data, std::size_t size) {
    const std::string path = ScratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    out.close();
    FUZZ_CHECK(out.good());
    return path;
}

std::string ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t EntryBytes(int kind) {
    switch (kind) {
        case PLINTH_KIND_STD:
            return sizeof(StdEntry);
        case PLINTH_KIND_INFO:
            return sizeof(InfoEntry);
        case PLINTH_KIND_ITEM:
            return sizeof(ItemEntry);
        default:
            return 0;
    }
}

long ValidPayload(const char *head) {
    const auto *u = reinterpret_cast<const unsigned char *>(head);
    if (u[0] != 0x55 || u[1] != 0xAA) return -1;
    const std::size_t entry = EntryBytes(u[offsetof(StdHead, kind)]);
    if (entry == 0) return -1;
    const long long payload = platform::DecodeSigned32(head + offsetof(StdHead, payloadBytes));
    const long long count = platform::DecodeFixed16(head + offsetof(StdHead, count));
    if (payload != count * static_cast<long long>(entry)) return -1;
    if (static_cast<long long>(sizeof(StdHead)) + payload > PLINTH_BUFFER_BYTES) return -1;
    return static_cast<long>(payload);
}

ExchangeBuffer::ExchangeBuffer() : bytes_(new char[PLINTH_BUFFER_BYTES]) {}

ExchangeBuffer::~ExchangeBuffer() {
    Open();
    delete[] bytes_;
}

void ExchangeBuffer::Fill(const uint8_t *data, std::size_t size) {
    Open();
    const std::size_t n = size < PLINTH_BUFFER_BYTES ? size : PLINTH_BUFFER_BYTES;
    if (n > 0) std::memcpy(bytes_, data, n);
    std::memset(bytes_ + n, 0, PLINTH_BUFFER_BYTES - n);
}

void ExchangeBuffer::Guard() {
    const long payload = ValidPayload(bytes_);
    const std::size_t used =
        sizeof(StdHead) + (payload > 0 ? static_cast<std::size_t>(payload) : 0);
    ASAN_POISON_MEMORY_REGION(bytes_ + used, PLINTH_BUFFER_BYTES - used);
}

void ExchangeBuffer::Open() {
    ASAN_UNPOISON_MEMORY_REGION(bytes_, PLINTH_BUFFER_BYTES);
}

}  // namespace fuzz
