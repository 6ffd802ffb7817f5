// A stand-in Ext-family plug-in for the module bridge: some entries work and
// echo their arguments, some throw, and ExtStop, ExtInitItem and most of the
// other families are missing.
#include <stdexcept>

#include "ext_family.h"

#define TEST_API extern "C" __attribute__((visibility("default")))

namespace {
void *lastInfo = nullptr;
char devData[16] = "test-device";
}  // namespace

int ExtInit(void *) {
    return 1;
}
// Twice the int it is given; keeps the pointer for ExtGetInfo.
int ExtInitInfo(void *infoBuffer) {
    lastInfo = infoBuffer;
    return *static_cast<int *>(infoBuffer) * 2;
}
// Writes the pointer ExtInitInfo last received into *(void **)out.
int ExtGetInfo(void *out) {
    *static_cast<void **>(out) = lastInfo;
    return 1;
}
// The arguments as decimal digits: show, left, top, right, bottom.
int ExtShow(int show, ExtRect rect) {
    return show * 10000 + rect.left * 1000 + rect.top * 100 + rect.right * 10 + rect.bottom;
}
int ExtGetStand(void *) {
    throw std::runtime_error("no standard");
}
void ExtGetErrorInfo(char *) {
    throw std::runtime_error("no error text");
}
void *GetDevData(void) {
    return devData;
}
int ExtRelease(void) {
    return 3;
}
TEST_API int ExtMoveEx(void *) {
    return 11;
}
TEST_API int Open(void *) {
    return 70;
}
