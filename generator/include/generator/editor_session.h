#pragma once
// What the standards editor does, without its widgets: one session lives from
// the editor's opening to its closing. It loads the environment library and
// the full standard module, keeps the mask file's path and works on the
// module's catalogue, mask and buffers. The dialogs (and stdhost) call these
// operations; none of them touches a widget.
#include <functional>
#include <string>
#include <vector>

#include "bridges/ext_module.h"
#include "bridges/plinth_bridge.h"
#include "generator/catalogue.h"
#include "generator/default_standard.h"
#include "generator/mask_table.h"
#include "generator/messages.h"
#include "generator/series_standard.h"
#include "generator/standard_counts.h"

namespace generator {

// The module-lifetime state the editor works on.
struct EditorState {
    Catalogue catalogue;
    MaskTable mask;
    ExchangeBuffers buffers;
};

// What the editor's start-up found. Each problem is one GBK line for the
// user, in the order met; an editor shows them, a command-line host prints
// them.
struct OpenReport {
    int plinthResult = 0;          // LoadPlinth's result; below 1: nothing else was done
    bool plinthLoaded = false;     // the environment library is loaded and complete
    bool configUsable = false;     // configDirectory is set and not cut
    bool moduleDirUsable = false;  // moduleDirectory is set and not cut
    MaskLoadResult mask = MaskLoadResult::kMissing;
    std::vector<std::string> problems;
};

// The open database connection, looked up before every use; null when there
// is none (or it no longer resolves).
using ConnectionSource = std::function<stationdb::Connection *()>;

class EditorSession {
  public:
    EditorSession(EditorState &state, ConnectionSource connection, MessageSink &messages);
    ~EditorSession();  // Close()
    EditorSession(const EditorSession &) = delete;
    EditorSession &operator=(const EditorSession &) = delete;

    // The editor's start-up: loads libplinth.so from the system directory of
    // the module containing `moduleAddress` (when it cannot be loaded
    // whole, nothing else is done: "Plinth.dll 加载错误或者没有该文件！"),
    // reads configDirectory and moduleDirectory from the environment record
    // (an empty one, or one that fills its 259-byte field and may be cut, is
    // not used: nothing is read or written there), loads the mask from
    // "<configDirectory>/CXmask.cfg" and the full standard module
    // "<moduleDirectory>/Zk2GBStdALL.std". A missing mask file or module is
    // not a problem: FullModuleLoaded() and the operations tell. A caller
    // that computes no default standard may skip the module
    // (`loadFullModule` false): loading it has the module load its own
    // standard table.
    OpenReport Open(const void *moduleAddress, bool loadFullModule = true);
    // What the last Open() found (an empty report before the first).
    const OpenReport &LastOpen() const { return lastOpen_; }
    // The editor's close: the module's ExtStop and ExtRelease, then both
    // libraries are unloaded.
    void Close();

    bool FullModuleLoaded() const { return fullModule_.IsLoaded(); }
    const std::string &ConfigDirectory() const { return configDirectory_; }
    const std::string &ModuleDirectory() const { return moduleDirectory_; }
    // "" while configDirectory is not usable.
    std::string MaskPath() const;
    // The mask was read (or there is no mask file): only then may it be
    // changed, and only then does a default standard know what it must not
    // overwrite.
    bool MaskUsable() const { return maskUsable_; }
    std::string FullModulePath() const;
    const bridges::PlinthBridge &Plinth() const { return plinth_; }

    // Catalogue and queries; see catalogue.h. Database errors propagate.
    int LoadCatalogue();
    BrandQuery Brands(const std::string &prefix);
    std::vector<std::string> Series(const std::string &brand);

    // Series standards; see series_standard.h. Database errors propagate;
    // so does the std::invalid_argument of a generation that refuses to
    // write (its what() is a GBK text for the user).
    void LoadSeries(const std::string &brand, const std::string &series);
    GenerationResult Generate(const std::string &brand, const std::string &series,
                              const ChangeOrigin &origin = {"", "Sergen 生成", ""});
    bool ClearStandards(const ChangeOrigin &origin = {"", "Sergen 清除标准", ""});
    // The rows a clearing would delete. Throws stationdb::DatabaseError; no
    // open connection counts nothing.
    StandardCounts CountStandards();

    // One limit edit of the list: the parameter at `at` gets these limits
    // at every catalogue place of its (itemid, paramid). A parameter measured
    // on two devices is one row of tb_id_standard, so its places must agree:
    // a generation writes each of them. Returns the places set; 0 (nothing
    // changed) for a position outside the catalogue.
    int SetLimits(const ParamPosition &at, float hvalue, float lvalue);
    // The catalogue holds edits not yet generated: set by SetLimits and by a
    // default standard applied, cleared by a series load that read the
    // database and by a generation that wrote.
    bool Dirty() const { return dirty_; }

    // The conditions dialog's OK: computes into the state's buffers. A
    // missing module or a standard buffer that cannot be started is shown to
    // the user.
    DefaultStandardResult ComputeDefault(const VehicleConditions &conditions);
    // Then the list: the default standard's limits into the catalogue.
    // Nothing is applied (and the mask problem is shown) while the mask is
    // not usable: masked limits would be overwritten.
    AppliedDefault ApplyDefault();

    // The mask dialog's save; a full table is shown to the user. While the
    // mask is not usable nothing is changed or written (kUnusable, shown).
    MaskChangeResult ChangeMask(const std::vector<MaskChoice> &rows);
    // "全选" and "反选": exactly these parameters masked; a table too small
    // for them is shown to the user.
    MaskChangeResult ReplaceMask(const std::vector<int32_t> &paramids);

    EditorState &State() { return state_; }
    stationdb::Connection *Connection() const { return connection_(); }

  private:
    // Shows why the mask cannot be used; true when it cannot.
    bool RefuseUnusableMask();
    EditorState &state_;
    ConnectionSource connection_;
    MessageSink &messages_;
    bridges::PlinthBridge plinth_;
    bridges::ExtModule fullModule_{bridges::ExtModule::SlotSet::kSergen};
    std::string configDirectory_;
    std::string moduleDirectory_;
    std::string maskProblem_;
    bool maskUsable_ = false;
    bool open_ = false;
    bool dirty_ = false;
    OpenReport lastOpen_;
};

}  // namespace generator
