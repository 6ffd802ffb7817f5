/* ext_family.h: the exports of the Ext plug-in family, as a host calls them.
 *
 * Results: 1 done; -1000 not provided by this module; -1002 an exception was
 * caught inside the export; -1003 null argument; -1005 no database
 * connection. No exception ever leaves an export. */
#ifndef EXT_FAMILY_H
#define EXT_FAMILY_H

#ifdef __cplusplus
extern "C" {
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

int   ExtInit(void *initRecord);
int   ExtInitInfo(void *infoBuffer);
int   ExtInitItem(void *itemBuffer);
int   ExtGetStand(void *stdBuffer);
int   ExtShow(int show, ExtRect rect);
int   ExtParamSave(void *unused);
void  ExtGetErrorInfo(char *out);
void *GetDevData(void);
int   ExtRelease(void);
int   ExtStop(void);
/* The remaining members take (void *unused) and return int. */
int   ExtInitStd(void *unused);
int   ExtInitResult(void *unused);
int   ExtInitCalib(void *unused);
int   ExtRun(void *unused);
int   ExtMove(void *unused);
int   ExtGetType(void *unused);
int   ExtGetInfo(void *unused);
int   ExtGetItem(void *unused);
int   ExtGetResult(void *unused);
int   ExtGetCalib(void *unused);

/* Limbank only, for hosts that explain a verdict: the condition text of
 * `itemId` for the current vehicle and mode. 1 written, 0 none, -1003 null
 * out or outSize < 1, -1002 exception; cut at outSize - 1 bytes on a
 * character boundary. */
int   ExtGetCondition(int itemId, char *out, int outSize);

#ifdef __cplusplus
}
#endif

#endif /* EXT_FAMILY_H */
