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

namespace generator {

// The module-lifetime state the editor works on.
struct EditorState {
    Catalogue catalogue;
    MaskTable mask;
    ExchangeBuffers buffers;
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
    // the module containing `moduleAddress`, reads configDirectory and
    // moduleDirectory from the environment record, loads the mask from
    // "<configDirectory>/CXmask.cfg" and the full standard module
    // "<moduleDirectory>/Zk2GBStdALL.std". Missing pieces are not errors:
    // FullModuleLoaded() and the operations tell. A caller that computes no
    // default standard may skip the module (`loadFullModule` false): loading
    // it has the module load its own standard table.
    void Open(const void *moduleAddress, bool loadFullModule = true);
    // The editor's close: the module's ExtStop and ExtRelease, then both
    // libraries are unloaded.
    void Close();

    bool FullModuleLoaded() const { return fullModule_.IsLoaded(); }
    const std::string &ConfigDirectory() const { return configDirectory_; }
    const std::string &ModuleDirectory() const { return moduleDirectory_; }
    std::string MaskPath() const;
    std::string FullModulePath() const;
    const bridges::PlinthBridge &Plinth() const { return plinth_; }

    // Catalogue and queries; see catalogue.h. Database errors propagate.
    int LoadCatalogue();
    BrandQuery Brands(const std::string &prefix);
    std::vector<std::string> Series(const std::string &brand);

    // Series standards; see series_standard.h. Database errors propagate.
    void LoadSeries(const std::string &brand, const std::string &series);
    GenerationResult Generate(const std::string &brand, const std::string &series);
    bool ClearStandards();

    // The conditions dialog's OK: computes into the state's buffers. A
    // missing module or a standard buffer that cannot be started is shown to
    // the user.
    DefaultStandardResult ComputeDefault(const VehicleConditions &conditions);
    // Then the list: the default standard's limits into the catalogue.
    AppliedDefault ApplyDefault();

    // The mask dialog's save; a full table is shown to the user.
    MaskChangeResult ChangeMask(const std::vector<MaskChoice> &rows);
    // "全选" and "反选": exactly these parameters masked; a table too small
    // for them is shown to the user.
    MaskChangeResult ReplaceMask(const std::vector<int32_t> &paramids);

    EditorState &State() { return state_; }
    stationdb::Connection *Connection() const { return connection_(); }

  private:
    EditorState &state_;
    ConnectionSource connection_;
    MessageSink &messages_;
    bridges::PlinthBridge plinth_;
    bridges::ExtModule fullModule_{bridges::ExtModule::SlotSet::kSergen};
    std::string configDirectory_;
    std::string moduleDirectory_;
    bool open_ = false;
};

}  // namespace generator
