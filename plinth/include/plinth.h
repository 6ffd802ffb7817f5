/* plinth.h: the C interface of the station's environment library.
 *
 * Exchange buffers are a 19-byte StdHead followed, from byte 19, by `count`
 * packed entries of the buffer's kind. Every function is safe on bad input:
 * a null pointer, an unknown ID or a malformed buffer gives a failure result,
 * never a crash or a write past a buffer. Results: 1 success, 0 failure. */
/* The declarations keep the layout of the published interface. */
/* clang-format off */
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

/* The environment record. GetPlinth zeroes PLINTH_ENV_SIZE bytes at env, then
 * copies the values of section [env] of the INI file named by $PLINTH_ENV
 * (else plinth.ini beside libplinth.so) unconverted to the offsets above, each
 * cut to its room at a GBK character boundary; a missing file or key leaves
 * its field empty. 1, or 0 for a null env.
 * GetField writes field n (from 0) of a comma-separated line (k commas make
 * k + 1 fields, empty ones included), at most PLINTH_FIELD_BYTES - 1 bytes cut
 * at a character boundary, plus NUL, and returns 1; for an absent field or a
 * null line it writes "" and returns 0; a null out gives 0. */
int  GetPlinthStrSize(void);
int  GetPlinth(char *env);
int  GetField(const char *line, char *out, int n);

/* Exchange buffers. A buffer is valid when the magic is 55 AA, the kind 1..3,
 * payloadBytes == count x entry size and 19 + payloadBytes <= 150000. Readers
 * return 0 and write nothing for a null pointer, a malformed buffer, a buffer
 * of another kind, an absent parameter or an index outside 0..count-1; an
 * information text read back is NUL-terminated. _Std and _Info by paramId give
 * the first entry of the parameter.
 * WriteStdHead needs a valid magic and kind; it copies the head as given but
 * sets payloadBytes to count x entry size: count 0 makes an empty buffer, a
 * count n > 0 declares the n entries already in the buffer from byte 19 (a
 * count beyond the capacity is refused).
 * WriteStdHead_Info replaces the text of its parameter's entry or appends one;
 * it and WriteStdHead_Item start a buffer of their kind where ParseStdHead
 * fails. WriteStdHead_Std only appends to a valid standard buffer. Writers
 * refuse a paramId outside 1..65535 and an entry that would pass the capacity,
 * writing nothing. Information texts are stored cut to 49 bytes at a GBK
 * character boundary and zero-filled. */
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
/* Codes and names, from the code dictionary plinth-codes.tsv beside
 * libplinth.so (or $PLINTH_CODES), loaded on first use. A code is a parameter
 * ID (1000..9999) times 10000 plus a running number.
 * IsSubID_char: 1 when the text, without leading and trailing blanks, is
 * exactly 8 decimal digits whose value / 10000 is a parameter the dictionary
 * names; IsSubID_int the same for a number; IsSubID_charEx also requires
 * value / 10000 == paramId.
 * GetMainID: the main code of a sub-code, any other number unchanged.
 * GetParamIDByName: the decimal code of the value of paramId whose name equals
 * the GBK text without leading and trailing blanks (bytes compared exactly).
 * GetZK2IDInfo: the name of a code or a parameter ID, cut to
 * PLINTH_NAME_BYTES - 1 bytes at a GBK character boundary.
 * Both write at most PLINTH_NAME_BYTES bytes with the NUL and return 1; for an
 * unknown key or a null pointer they return 0 and leave out untouched.
 * TrimLeft / TrimRight remove every single-byte character ch at the start / end
 * of text (never a byte of a double-byte character); a null text is ignored. */
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
