#pragma once
// The bridge to the environment library: loads it by file name from the
// system directory and calls its operations through pointers resolved by name.
// An operation the loaded library does not provide does nothing and yields
// -1000; so does every operation before a successful load.
#include "platform/dynamic_library.h"
#include "plinth.h"

namespace bridges {

inline constexpr int kPlinthAbsent = -1000;

class PlinthBridge {
  public:
    PlinthBridge() = default;
    ~PlinthBridge() { UnloadPlinth(); }
    PlinthBridge(const PlinthBridge &) = delete;
    PlinthBridge &operator=(const PlinthBridge &) = delete;

    // Loads the library of `variant` (2, 4, 8, 16: libplinth2b.so ... ; any
    // other: libplinth.so; on Windows Plinth2b.dll ... Plinth.dll) from the
    // system directory and resolves its names in
    // the order plinth.h declares them. Results:
    //   1      loaded and complete;
    //   -1000  no system directory;
    //   -1     the file cannot be loaded (after the notice
    //          "系统库不存在或者版本错误!"; the caller shows nothing more);
    //   -2 - p the name at 0-based position p is missing (names before it work);
    //   -9999  GetPlinthStrSize does not return PLINTH_ENV_SIZE.
    // `moduleAddress` is any address inside the calling module; the system
    // directory is the directory of that module unless $STATION_SYSDIR is set.
    int LoadPlinth(int variant, const void *moduleAddress);
    // Frees the library and clears every pointer.
    void UnloadPlinth();
    bool IsLoaded() const { return library_.IsOpen(); }

    int GetPlinthStrSize() const;
    int GetPlinth(char *env) const;
    int GetField(const char *line, char *out, int n) const;
    int ParseStdHead(const void *buf, StdHead *head) const;
    int ParseStdHead_Info(const void *buf, int paramId, InfoEntry *e) const;
    int ParseStdHead_Info_Idx(const void *buf, int index, InfoEntry *e) const;
    int ParseStdHead_Item_Idx(const void *buf, int index, ItemEntry *e) const;
    int ParseStdHead_Std(const void *buf, int paramId, StdEntry *e) const;
    int ParseStdHead_Std_Idx(const void *buf, int index, StdEntry *e) const;
    int WriteStdHead(void *buf, const StdHead *head) const;
    int WriteStdHead_Info(void *buf, int paramId, const char *text) const;
    int WriteStdHead_Std(void *buf, int paramId, float lvalue, float hvalue) const;
    int WriteStdHead_Item(void *buf, int itemId, int devId) const;
    int IsSubID_char(const char *text) const;
    int IsSubID_int(int number) const;
    int IsSubID_charEx(const char *text, int paramId) const;
    int GetMainID(int code) const;
    int GetParamIDByName(const char *text, int paramId, char *out) const;
    int GetZK2IDInfo(int code, char *out) const;
    void TrimLeft(char *text, char ch) const;
    void TrimRight(char *text, char ch) const;

  private:
    struct Operations {
        decltype(&::GetPlinthStrSize) getPlinthStrSize;
        decltype(&::GetPlinth) getPlinth;
        decltype(&::GetField) getField;
        decltype(&::ParseStdHead) parseStdHead;
        decltype(&::ParseStdHead_Info) parseStdHeadInfo;
        decltype(&::ParseStdHead_Info_Idx) parseStdHeadInfoIdx;
        decltype(&::ParseStdHead_Item_Idx) parseStdHeadItemIdx;
        decltype(&::ParseStdHead_Std) parseStdHeadStd;
        decltype(&::ParseStdHead_Std_Idx) parseStdHeadStdIdx;
        decltype(&::WriteStdHead) writeStdHead;
        decltype(&::WriteStdHead_Info) writeStdHeadInfo;
        decltype(&::WriteStdHead_Std) writeStdHeadStd;
        decltype(&::WriteStdHead_Item) writeStdHeadItem;
        decltype(&::IsSubID_char) isSubIdChar;
        decltype(&::IsSubID_int) isSubIdInt;
        decltype(&::IsSubID_charEx) isSubIdCharEx;
        decltype(&::GetMainID) getMainId;
        decltype(&::GetParamIDByName) getParamIdByName;
        decltype(&::GetZK2IDInfo) getZk2IdInfo;
        decltype(&::TrimLeft) trimLeft;
        decltype(&::TrimRight) trimRight;
    };

    platform::DynamicLibrary library_;
    Operations ops_{};
};

// The head with which an empty standard buffer is started: magic 55 AA,
// version 1 1 1, kind 1 (standard), no entries.
StdHead EmptyStandardHead();

// The file name of a variant's library (without directory).
const char *PlinthFileName(int variant);

}  // namespace bridges
