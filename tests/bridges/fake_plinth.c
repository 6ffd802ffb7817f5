/* Stand-in environment libraries for the bridge's failure paths: one that
 * lacks every name from ParseStdHead on (FAKE_PARTIAL), one that reports a
 * record size of another version (FAKE_BAD_SIZE). */
#include <string.h>

#include "plinth.h"

#define API __attribute__((visibility("default")))

API int GetPlinthStrSize(void) {
#ifdef FAKE_BAD_SIZE
    return 1000;
#else
    return PLINTH_ENV_SIZE;
#endif
}
API int GetPlinth(char *env) {
    return env != 0;
}
API int GetField(const char *line, char *out, int n) {
    (void)line;
    (void)n;
    if (out) strcpy(out, "fake");
    return 1;
}

#ifndef FAKE_PARTIAL
API int ParseStdHead(const void *b, StdHead *h) {
    return b && h;
}
API int ParseStdHead_Info(const void *b, int p, InfoEntry *e) {
    return b && p && e;
}
API int ParseStdHead_Info_Idx(const void *b, int i, InfoEntry *e) {
    return b && i && e;
}
API int ParseStdHead_Item_Idx(const void *b, int i, ItemEntry *e) {
    return b && i && e;
}
API int ParseStdHead_Std(const void *b, int p, StdEntry *e) {
    return b && p && e;
}
API int ParseStdHead_Std_Idx(const void *b, int i, StdEntry *e) {
    return b && i && e;
}
API int WriteStdHead(void *b, const StdHead *h) {
    return b && h;
}
API int WriteStdHead_Info(void *b, int p, const char *t) {
    return b && p && t;
}
API int WriteStdHead_Std(void *b, int p, float l, float h) {
    return b && p && l <= h;
}
API int WriteStdHead_Item(void *b, int i, int d) {
    return b && i && d;
}
API int IsSubID_char(const char *t) {
    return t != 0;
}
API int IsSubID_int(int n) {
    return n > 0;
}
API int IsSubID_charEx(const char *t, int p) {
    return t && p;
}
API int GetMainID(int code) {
    return code;
}
API int GetParamIDByName(const char *t, int p, char *o) {
    return t && p && o;
}
API int GetZK2IDInfo(int c, char *o) {
    return c && o;
}
API void TrimLeft(char *t, char c) {
    (void)t, (void)c;
}
API void TrimRight(char *t, char c) {
    (void)t, (void)c;
}
#endif
