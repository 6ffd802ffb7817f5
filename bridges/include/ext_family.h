/* ext_family.h: the exports of the Ext plug-in family, as a host calls them.
 *
 * Results: 1 done; -1000 not provided by this module; -1002 an exception was
 * caught inside the export; -1003 null argument; -1005 no database
 * connection. No exception ever leaves an export. */
/* The declarations keep the layout of the published interface. */
/* clang-format off */
#ifndef EXT_FAMILY_H
#define EXT_FAMILY_H

#ifdef __cplusplus
extern "C" {
#endif

/* Exported from a plug-in built with hidden visibility. */
#if defined(__GNUC__)
#define EXT_API __attribute__((visibility("default")))
#else
#define EXT_API
#endif

/* Passed by value as one 16-byte struct, never as four int parameters. */
typedef struct ExtRect { int left, top, right, bottom; } ExtRect;

#define EXT_DONE            1
#define EXT_NOT_PROVIDED    (-1000)
#define EXT_EXCEPTION       (-1002)
#define EXT_NULL_ARGUMENT   (-1003)
#define EXT_NO_DATABASE     (-1005)
#define EXT_MISSING_ENTRY   (-1007)
#define EXT_DRIVEN_EXCEPTION (-1008)

EXT_API int   ExtInit(void *initRecord);
EXT_API int   ExtInitInfo(void *infoBuffer);
EXT_API int   ExtInitItem(void *itemBuffer);
EXT_API int   ExtGetStand(void *stdBuffer);
EXT_API int   ExtShow(int show, ExtRect rect);
EXT_API int   ExtParamSave(void *unused);
EXT_API void  ExtGetErrorInfo(char *out);
EXT_API void *GetDevData(void);
EXT_API int   ExtRelease(void);
EXT_API int   ExtStop(void);
/* The remaining members take (void *unused) and return int. */
EXT_API int   ExtInitStd(void *unused);
EXT_API int   ExtInitResult(void *unused);
EXT_API int   ExtInitCalib(void *unused);
EXT_API int   ExtRun(void *unused);
EXT_API int   ExtMove(void *unused);
EXT_API int   ExtGetType(void *unused);
EXT_API int   ExtGetInfo(void *unused);
EXT_API int   ExtGetItem(void *unused);
EXT_API int   ExtGetResult(void *unused);
EXT_API int   ExtGetCalib(void *unused);

/* Limbank only, for hosts that explain a verdict: the condition text of
 * `itemId` for the current vehicle and mode. 1 written, 0 none, -1003 null
 * out or outSize < 1, -1002 exception; cut at outSize - 1 bytes on a
 * character boundary. */
EXT_API int   ExtGetCondition(int itemId, char *out, int outSize);

#ifdef __cplusplus
}
#endif

#endif /* EXT_FAMILY_H */
