/* plinth.h: the C interface of the station's environment library.
 *
 * Exchange buffers are a 19-byte StdHead followed, from byte 19, by `count`
 * packed entries of the buffer's kind. Every function is safe on bad input:
 * a null pointer, an unknown ID or a malformed buffer gives a failure result,
 * never a crash or a write past a buffer. Results: 1 success, 0 failure. */
#ifndef PLINTH_H
#define PLINTH_H

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)
typedef struct StdHead {            /* 19 bytes */
    unsigned char  magic[2];        /* 0x55, 0xAA */
    unsigned char  version[3];      /* 1, 1, 1 */
    unsigned char  reserved5;       /* 0 */
    unsigned short reserved6;       /* 0 */
    int            payloadBytes;    /* bytes of entries after the head */
    unsigned short count;           /* number of entries */
    unsigned char  kind;            /* 1 standard, 2 information, 3 item */
    unsigned char  reserved15[4];   /* 0 */
} StdHead;
typedef struct InfoEntry { unsigned short paramId; char text[50]; } InfoEntry;            /* 52 bytes */
typedef struct StdEntry  { unsigned short paramId; float lvalue; float hvalue; } StdEntry;  /* 10 bytes */
typedef struct ItemEntry { int itemId; int devId; } ItemEntry;                             /*  8 bytes */
#pragma pack(pop)

#define PLINTH_ENV_SIZE     188910  /* GetPlinthStrSize() */
#define PLINTH_BUFFER_BYTES 150000  /* capacity of every exchange buffer */
#define PLINTH_FIELD_BYTES  512     /* callers' buffer for GetField */
#define PLINTH_NAME_BYTES   100     /* callers' buffer for GetZK2IDInfo, GetParamIDByName */

/* Buffer kinds (StdHead.kind). */
#define PLINTH_KIND_STD  1
#define PLINTH_KIND_INFO 2
#define PLINTH_KIND_ITEM 3

/* Offsets of the fields of the environment record that GetPlinth fills. */
#define PLINTH_ENV_DATABASE_LINE    6574    /* 1231 bytes + NUL */
#define PLINTH_ENV_CONFIG_DIRECTORY 7806    /* 259 bytes + NUL */
#define PLINTH_ENV_MODULE_DIRECTORY 74950   /* 259 bytes + NUL */
#define PLINTH_ENV_STATION_LINE     108214  /* 1023 bytes + NUL */

int  GetPlinthStrSize(void);
int  GetPlinth(char *env);
int  GetField(const char *line, char *out, int n);
int  ParseStdHead(const void *buf, StdHead *head);
int  ParseStdHead_Info(const void *buf, int paramId, InfoEntry *e);
int  ParseStdHead_Info_Idx(const void *buf, int index, InfoEntry *e);
int  ParseStdHead_Item_Idx(const void *buf, int index, ItemEntry *e);
int  ParseStdHead_Std(const void *buf, int paramId, StdEntry *e);
int  ParseStdHead_Std_Idx(const void *buf, int index, StdEntry *e);
int  WriteStdHead(void *buf, const StdHead *head);
int  WriteStdHead_Info(void *buf, int paramId, const char *text);
int  WriteStdHead_Std(void *buf, int paramId, float lvalue, float hvalue);
int  WriteStdHead_Item(void *buf, int itemId, int devId);
int  IsSubID_char(const char *text);
int  IsSubID_int(int number);
int  IsSubID_charEx(const char *text, int paramId);
int  GetMainID(int code);
int  GetParamIDByName(const char *text, int paramId, char *out);
int  GetZK2IDInfo(int code, char *out);
void TrimLeft(char *text, char ch);
void TrimRight(char *text, char ch);

#ifdef __cplusplus
}
#endif

#endif /* PLINTH_H */
