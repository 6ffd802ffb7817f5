#pragma once
// What every fuzz target shares: a scratch directory for the files a reader
// is handed, exchange buffers of the capacity callers guarantee, and checks
// whose failure libFuzzer reports as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plinth.h"

// A broken invariant: says which, then aborts (libFuzzer keeps the input).
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

namespace fuzz {

// A directory of this process in $FUZZ_SCRATCH, else on /dev/shm when there
// is one (writers fsync every file), else in $TMPDIR; removed at a normal
// exit, left behind by a crash.
const std::string &ScratchDir();

// Writes `size` bytes to ScratchDir()/name, replacing the file; its path.
std::string WriteScratch(const std::string &name, const uint8_t *data, std::size_t size);

// The bytes of a file, or "" when it cannot be read.
std::string ReadBytes(const std::string &path);

// An exchange buffer as callers hand one over: PLINTH_BUFFER_BYTES bytes, the
// input at its start and zeros after it. Guard() poisons what no reader may
// touch: for a valid head, everything after its declared entries; else
// everything after the 19-byte head. Open() lifts that before a writer runs.
class ExchangeBuffer {
  public:
    ExchangeBuffer();
    ~ExchangeBuffer();
    ExchangeBuffer(const ExchangeBuffer &) = delete;
    ExchangeBuffer &operator=(const ExchangeBuffer &) = delete;

    // Copies at most PLINTH_BUFFER_BYTES bytes of `data` in; the rest is zero.
    void Fill(const uint8_t *data, std::size_t size);
    void Guard();
    void Open();
    void *Data() { return bytes_; }
    const char *Bytes() const { return bytes_; }

  private:
    char *bytes_;
};

// The number of bytes the entries of a buffer with this head occupy when the
// head is valid by the documented rule (magic 55 AA, kind 1..3, payloadBytes
// == count x entry size, 19 + payloadBytes <= capacity); -1 otherwise.
long ValidPayload(const char *head);

// Bytes of one entry of a kind, 0 for another kind.
std::size_t EntryBytes(int kind);

}  // namespace fuzz
