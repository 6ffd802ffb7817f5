#pragma once
// The bridge through which one plug-in loads another plug-in of the Ext family
// by file name and calls its entries.
//
// Entries are reached through slots resolved by name when the module loads.
// Slots are grouped by family (1 is the Ext family proper, 2-12 the related
// families a module may also provide); a name several families share has one
// slot in each of them, and every slot of one name holds the same address.
// BRIDGES_EXT_SLOTS below is the one table of slots, in resolution order.
//
// Two slot sets: the full set, and the reduced set of the series editor
// (Sergen), which has no slot for the rows marked Full.
//
// Calling an entry:
//   - family 1 has one named bridge per entry: typed where ext_family.h gives
//     the signature, `int Name(void *arg = nullptr)` for the others;
//   - Call(family, name, arg) reaches any slot of any family and calls the
//     entry as `int (void *)`; use it for families 2-12, whose argument lists
//     the bridge does not know, and to address one family's slot of a shared
//     name (a slot the set lacks answers -1007 even when the file exports it).
// Every int bridge answers EXT_MISSING_ENTRY (-1007) for an absent or
// unresolved slot and EXT_DRIVEN_EXCEPTION (-1008) when the entry throws. The
// void bridge then does nothing; GetDevData then answers null.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ext_family.h"
#include "platform/dynamic_library.h"

// X(family, name, sets, bridge): sets is Both (full and Sergen) or Full (full
// set only); bridge is Typed (hand-written named bridge), Named (generated
// `int name(void *)` bridge) or None (reached through Call only).
// clang-format off
#define BRIDGES_EXT_SLOTS(X) \
    X(1, GetDevData, Both, Typed) X(1, ExtInit, Both, Typed) X(1, ExtInitInfo, Both, Typed) \
    X(1, ExtInitItem, Both, Typed) X(1, ExtInitStd, Both, Named) X(1, ExtInitResult, Both, Named) \
    X(1, ExtInitCalib, Both, Named) X(1, ExtRun, Both, Named) X(1, ExtStop, Both, Typed) \
    X(1, ExtShow, Both, Typed) X(1, ExtMove, Both, Named) X(1, ExtMoveEx, Full, Named) \
    X(1, ExtGetStand, Both, Typed) X(1, ExtRelease, Both, Typed) X(1, ExtGetType, Both, Named) \
    X(1, ExtGetInfo, Both, Named) X(1, ExtGetItem, Both, Named) X(1, ExtGetResult, Both, Named) \
    X(1, ExtGetCalib, Both, Named) X(1, ExtGetErrorInfo, Both, Typed) \
    X(1, ExtGetStatusInfo, Full, Named) X(1, ExtParamSave, Both, Typed) \
    X(1, ExtWriteDB, Both, Named) X(1, ExtGetCurData, Both, Named) \
    X(1, ExtWriteDBEVAL, Both, Named) X(1, ExtWriteDBRC, Both, Named) \
    X(1, ExtWriteDBRJ, Both, Named) X(1, ExtWriteWeight, Both, Named) \
    X(1, ExtInitTab, Both, Named) X(1, ExtPrint, Both, Named) X(1, ExtPrintScreen, Both, Named) \
    X(1, ExtWriteInterNetDat, Both, Named) X(1, ExtGetInterNetDat, Both, Named) \
    X(1, ExtGetBlacklistInfo, Both, Named) X(1, ExtGetEvlResult, Both, Named) \
    X(1, ExtGetEvlResultAll, Both, Named) X(1, ExtDatOutput, Both, Named) \
    X(1, ExtDatOutputEx, Both, Named) X(1, ExtDatOutputShowDlg, Both, Named) \
    X(1, ExtGetGongAnNo, Both, Named) X(1, ExtGetGongAnVehInfo, Both, Named) \
    X(1, ExtUseDB, Both, Named) X(1, ExtSetPrintMode, Both, Named) \
    X(1, ExtSetMyPrint, Both, Named) X(1, ExtPrintView, Both, Named) X(1, ExtPrint, Both, None) \
    \
    X(2, ExtInit, Both, None) X(2, ExtMove, Both, None) X(2, ExtShow, Both, None) \
    X(2, ExtLoadInitFile, Full, None) X(2, ExtPrintReShow, Full, None) X(2, ExtGetDB, Both, None) \
    X(2, ExtGetDBPic, Both, None) X(2, ExtGetDBPicEx, Full, None) X(2, ExtWriteDB, Both, None) \
    X(2, ExtGetData, Both, None) X(2, ExtPrintDataShow, Both, None) X(2, ExtRelease, Both, None) \
    X(2, ExtSetOutLineMode, Full, None) X(2, ExtForceHideWarning, Both, None) \
    \
    X(3, ExtInit, Both, None) X(3, ExtGetDB, Both, None) X(3, ExtGetDBAll, Both, None) \
    X(3, ExtStop, Both, None) X(3, ExtRelease, Both, None) X(3, ExtWriteDB, Both, None) \
    X(3, ExtWriteDBEx, Full, None) X(3, ExtWriteDBAEx, Full, None) X(3, ExtGetCurData, Both, None) \
    X(3, ExtIsSaveQueEnd, Both, None) X(3, ExtIsZK2DBRun, Both, None) X(3, ExtWriteDB2, Both, None) \
    X(3, ExtSaveResultBinary, Both, None) X(3, ExtWrite_Std_Save_DB, Both, None) \
    X(3, ExtWrite_Result_Save_DB, Both, None) X(3, ExtWrite_Result_Save_DB_ByID, Full, None) \
    X(3, ExtWrite_Item_Save_DB, Both, None) X(3, ExtWrite_Binary_Save_DB, Both, None) \
    X(3, ExtWrite_Info_Save_DB, Both, None) X(3, ExtWrite_ImageBinary_Save_DB, Both, None) \
    X(3, ExtSaveBaseInfo, Both, None) X(3, ExtSaveEndData, Both, None) \
    X(3, ExtSaveUploadFlg, Both, None) X(3, ExtSetDB, Both, None) X(3, ExtCombinData, Both, None) \
    X(3, ExtUpdateDownLineTime, Both, None) X(3, ExtSetOffineDev, Full, None) \
    X(3, ExtSetAMFLDev, Full, None) X(3, ExtChangeStatus, Full, None) X(3, ExtSetDebug, Full, None) \
    X(3, ExtIsWindowVisable, Full, None) X(3, ExtSetUerType, Both, None) \
    \
    X(4, ExtInit, Both, None) X(4, ExtShow, Both, None) X(4, ExtRelease, Both, None) \
    X(4, ExtMove, Both, None) X(4, ExtWriteDB, Both, None) X(4, ExtGetDB, Both, None) \
    X(4, ExtCopyCar, Both, None) X(4, ExtDeleteCar, Both, None) \
    \
    X(5, ExtInit, Both, None) X(5, ExtInitStatTab, Both, None) X(5, ExtRelease, Both, None) \
    X(5, ExtRun, Both, None) \
    \
    X(6, ExtInit, Both, None) X(6, ExtShow, Both, None) X(6, ExtRelease, Both, None) \
    X(6, ExtSetUser, Both, None) X(6, ExtDoModal, Both, None) X(6, ExtSetLog, Both, None) \
    X(6, ExtSetDB, Both, None) \
    \
    X(7, Open, Both, None) X(7, Close, Both, None) X(7, Run, Both, None) X(7, Stop, Both, None) \
    X(7, GetDate, Both, None) X(7, GetType, Both, None) X(7, GetVersion, Both, None) \
    \
    X(8, ExtSaveSysLog, Both, None) X(8, ExtConnectNet, Both, None) X(8, ExtCloseNet, Both, None) \
    X(8, ExtGetPoliceDate, Both, None) X(8, ExtGetPoliceTestnumb, Both, None) \
    X(8, ExtGetBGTM, Full, None) X(8, ExtSendPicture, Both, None) X(8, ExtSendResult, Both, None) \
    X(8, ExtSaveLog, Both, None) \
    \
    X(9, ExDevInit, Both, None) X(9, ExDevRun, Both, None) X(9, ExDevWriteCMD, Both, None) \
    X(9, ExDevGetData, Both, None) X(9, ExDevStop, Both, None) X(9, ExDevRelease, Both, None) \
    \
    X(10, ExtParseVIN, Both, None) X(10, ExtVehicleTypeParse, Full, None) \
    X(10, ExtMessageBox, Both, None) X(10, ExtInitMessageBox, Both, None) \
    X(10, ExtInitMegColor, Both, None) X(10, ExtMeterCommand, Full, None) \
    X(10, cdm_Sendcdminfo, Full, None) \
    \
    X(11, SetSerial, Full, None) X(11, OpenSerial, Full, None) X(11, CloseSerial, Full, None) \
    X(11, cdm_Getcdminfo, Full, None) \
    \
    X(12, Open, Full, None) X(12, StartRun, Full, None) X(12, SendCmd, Full, None) \
    X(12, GetData, Full, None) X(12, StopRun, Full, None) X(12, Close, Full, None)
// clang-format on

namespace bridges {

class ExtModule {
  public:
    enum class SlotSet { kFull, kSergen };
    // FileName() keeps at most this many characters of the loaded name.
    static constexpr std::size_t kMaxFileName = 259;

    explicit ExtModule(SlotSet set = SlotSet::kFull);
    ~ExtModule() { Unload(); }
    ExtModule(const ExtModule &) = delete;
    ExtModule &operator=(const ExtModule &) = delete;

    // With a module already loaded, returns true at once and loads nothing
    // (the names are not compared). Otherwise opens `fileName` as given (any
    // extension; a bare name goes through the dynamic loader's search) and
    // resolves every slot of the set; a name the file lacks leaves its slot
    // null and is no failure. False when the file cannot be opened, with the
    // loader's reason in LastError().
    bool Load(const std::string &fileName);
    // Frees the module, clears every slot and the file name.
    void Unload();
    bool IsLoaded() const { return library_.IsOpen(); }
    const std::string &FileName() const { return fileName_; }
    const std::string &LastError() const { return library_.LastError(); }

    // The number of slots in `set`, counting each family's slot of a shared
    // name (and both family-1 ExtPrint slots).
    static std::size_t SlotCount(SlotSet set);
    // Whether `set` has a slot for `name` in `family`.
    static bool HasSlot(SlotSet set, int family, std::string_view name);
    // The resolved address of that slot; null when the set has no such slot
    // or the loaded file lacks the name.
    const void *SlotAddress(int family, std::string_view name) const;

    // Calls the entry in `family`'s slot of `name` as int(void *).
    int Call(int family, std::string_view name, void *arg = nullptr) const;

    // Family-1 bridges whose signatures ext_family.h gives.
    void *GetDevData() const;
    int ExtInit(void *initRecord) const;
    int ExtInitInfo(void *infoBuffer) const;
    int ExtInitItem(void *itemBuffer) const;
    int ExtGetStand(void *stdBuffer) const;
    int ExtShow(int show, ExtRect rect) const;
    int ExtParamSave(void *unused) const;
    void ExtGetErrorInfo(char *out) const;
    int ExtRelease() const;
    int ExtStop() const;

    // The other family-1 bridges: int Name(void *arg = nullptr) const.
#define BRIDGES_EXT_DECLARE_Typed(name)
#define BRIDGES_EXT_DECLARE_None(name)
#define BRIDGES_EXT_DECLARE_Named(name) int name(void *arg = nullptr) const;
#define BRIDGES_EXT_DECLARE(family, name, sets, bridge) BRIDGES_EXT_DECLARE_##bridge(name)
    BRIDGES_EXT_SLOTS(BRIDGES_EXT_DECLARE)
#undef BRIDGES_EXT_DECLARE
#undef BRIDGES_EXT_DECLARE_Named
#undef BRIDGES_EXT_DECLARE_None
#undef BRIDGES_EXT_DECLARE_Typed

  private:
    // Index into slots_ of the set's slot, or std::size_t(-1) when the set has none.
    std::size_t SlotIndex(int family, std::string_view name) const;

    SlotSet set_;
    platform::DynamicLibrary library_;
    std::string fileName_;
    // One entry per table row; rows outside the set stay null.
    std::vector<void *> slots_;
};

}  // namespace bridges
