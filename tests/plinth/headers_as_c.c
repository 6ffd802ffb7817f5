/* The public C headers compiled as C: they must be valid C11 and give the
 * packed layouts the exchange formats fix. */
#include <stddef.h>

#include "ext_family.h"
#include "plinth.h"

_Static_assert(sizeof(StdHead) == 19, "StdHead is 19 bytes");
_Static_assert(offsetof(StdHead, payloadBytes) == 8, "payloadBytes at 8");
_Static_assert(offsetof(StdHead, count) == 12, "count at 12");
_Static_assert(offsetof(StdHead, kind) == 14, "kind at 14");
_Static_assert(sizeof(InfoEntry) == 52, "InfoEntry is 52 bytes");
_Static_assert(sizeof(StdEntry) == 10, "StdEntry is 10 bytes");
_Static_assert(sizeof(ItemEntry) == 8, "ItemEntry is 8 bytes");
_Static_assert(sizeof(ExtRect) == 16, "ExtRect is 16 bytes");

size_t HeadersAsCStdHeadBytes(void) {
    return sizeof(StdHead);
}

/* Starts an information buffer from C and adds one entry: the library is
 * callable from C through its header alone. */
int HeadersAsCStartInfoBuffer(void *buf, const char *text) {
    StdHead head = {{0x55, 0xAA}, {1, 1, 1}, 0, 0, 0, 0, PLINTH_KIND_INFO, {0, 0, 0, 0}};
    if (WriteStdHead(buf, &head) != 1) return 0;
    return WriteStdHead_Info(buf, 1082, text);
}
