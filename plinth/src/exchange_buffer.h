#pragma once
// Reading and writing exchange buffers (layout in buffer_layout.h).
//
// Every function takes the caller's buffer as raw bytes and trusts only its
// capacity (PLINTH_BUFFER_BYTES): the head is checked before any entry is
// touched, and entries are read and written with byte-wise encoding, never
// through a pointer to a packed struct inside the buffer. A function that
// returns false has written nothing, neither to the buffer nor to its output.
#include <cstddef>
#include <optional>

#include "plinth_api.h"

namespace plinth {

// What a valid head says: the kind (1..3) and the number of entries.
struct CheckedHead {
    int kind;
    std::size_t count;
};

// The head at `buf` when the buffer is valid; nullopt for a null pointer or a
// malformed head. Reads the 19 head bytes only.
std::optional<CheckedHead> CheckHead(const char *buf);

bool ParseHead(const char *buf, StdHead *head);

// First entry of `paramId`, or the entry at 0-based `index`. False for a
// buffer of another kind, an absent parameter or an index outside the entries.
// The text of an information entry is always NUL-terminated (at most 49
// bytes, cut at a GBK character boundary) and zero-filled.
bool ParseInfo(const char *buf, int paramId, InfoEntry *entry);
bool ParseInfoAt(const char *buf, int index, InfoEntry *entry);
bool ParseStd(const char *buf, int paramId, StdEntry *entry);
bool ParseStdAt(const char *buf, int index, StdEntry *entry);
bool ParseItemAt(const char *buf, int index, ItemEntry *entry);

// Writes `head` over the head of `buf`. The magic and the kind must be valid;
// version and reserved bytes are copied as given. payloadBytes is not taken
// from `head` but set to count x entry size, so the result is always a valid
// buffer: count 0 makes a new empty buffer, a count n > 0 declares the n
// entries already in the buffer from byte 19 (a caller shortens a buffer by
// writing back its parsed head with a smaller count). A count whose entries
// would pass the capacity is refused.
bool WriteHead(char *buf, const StdHead *head);

// Replaces the text of the first entry of `paramId`, or appends an entry. A
// buffer that does not pass CheckHead is started afresh as an information
// buffer; a valid buffer of another kind is refused. The text is stored cut
// to at most 49 bytes at a GBK character boundary, zero-filled to 50.
bool WriteInfo(char *buf, int paramId, const char *text);
// Appends a limit entry to a valid standard buffer; never starts a buffer.
bool WriteStd(char *buf, int paramId, float lvalue, float hvalue);
// Appends an item entry, starting an item buffer where CheckHead fails.
bool WriteItem(char *buf, int itemId, int devId);

}  // namespace plinth
