// The exchange-buffer functions of the C interface: each forwards to the
// reader or writer in exchange_buffer.cpp and turns its answer, or an
// exception, into 1 or 0.
#include "exchange_buffer.h"
#include "plinth_api.h"

namespace {

const char *Bytes(const void *buf) {
    return static_cast<const char *>(buf);
}
char *Bytes(void *buf) {
    return static_cast<char *>(buf);
}

}  // namespace

extern "C" {

int ParseStdHead(const void *buf, StdHead *head) {
    return plinth::Guarded([&] { return plinth::ParseHead(Bytes(buf), head); });
}

int ParseStdHead_Info(const void *buf, int paramId, InfoEntry *e) {
    return plinth::Guarded([&] { return plinth::ParseInfo(Bytes(buf), paramId, e); });
}

int ParseStdHead_Info_Idx(const void *buf, int index, InfoEntry *e) {
    return plinth::Guarded([&] { return plinth::ParseInfoAt(Bytes(buf), index, e); });
}

int ParseStdHead_Item_Idx(const void *buf, int index, ItemEntry *e) {
    return plinth::Guarded([&] { return plinth::ParseItemAt(Bytes(buf), index, e); });
}

int ParseStdHead_Std(const void *buf, int paramId, StdEntry *e) {
    return plinth::Guarded([&] { return plinth::ParseStd(Bytes(buf), paramId, e); });
}

int ParseStdHead_Std_Idx(const void *buf, int index, StdEntry *e) {
    return plinth::Guarded([&] { return plinth::ParseStdAt(Bytes(buf), index, e); });
}

int WriteStdHead(void *buf, const StdHead *head) {
    return plinth::Guarded([&] { return plinth::WriteHead(Bytes(buf), head); });
}

int WriteStdHead_Info(void *buf, int paramId, const char *text) {
    return plinth::Guarded([&] { return plinth::WriteInfo(Bytes(buf), paramId, text); });
}

int WriteStdHead_Std(void *buf, int paramId, float lvalue, float hvalue) {
    return plinth::Guarded([&] { return plinth::WriteStd(Bytes(buf), paramId, lvalue, hvalue); });
}

int WriteStdHead_Item(void *buf, int itemId, int devId) {
    return plinth::Guarded([&] { return plinth::WriteItem(Bytes(buf), itemId, devId); });
}

}  // extern "C"
