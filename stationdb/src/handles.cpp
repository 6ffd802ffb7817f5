// The process-wide connection handles, callable from C.
#include <map>
#include <mutex>

#include "stationdb/stationdb.h"

namespace {

struct Registry {
    std::mutex mutex;
    std::map<unsigned, void *> connections;
    unsigned last = 0;  // handles are never reused, so this only grows
};

// Built on first use and never destroyed: a module may still unregister
// while the process's static objects are being torn down.
Registry &TheRegistry() {
    static Registry *registry = new Registry;
    return *registry;
}

}  // namespace

extern "C" {

unsigned stationdb_register(void *connection) {
    if (connection == nullptr) return 0;
    try {
        Registry &r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mutex);
        if (r.last == ~0u) return 0;  // every handle has been given out
        r.connections.emplace(++r.last, connection);
        return r.last;
    } catch (...) {
        return 0;
    }
}

void *stationdb_lookup(unsigned handle) {
    if (handle == 0) return nullptr;
    try {
        Registry &r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.connections.find(handle);
        return it == r.connections.end() ? nullptr : it->second;
    } catch (...) {
        return nullptr;
    }
}

void stationdb_unregister(unsigned handle) {
    try {
        Registry &r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.connections.erase(handle);
    } catch (...) {
    }
}

}  // extern "C"
