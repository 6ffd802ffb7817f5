#include "generator/editor_session.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "gbk_texts.h"
#include "platform/trace.h"
#include "platform/value_text.h"
#include "statements.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

constexpr int kPlinthVariant = 1;
constexpr std::size_t kDirectoryRoom = 259;

// A zero-terminated text of the environment record, at most its room.
std::string EnvText(const std::vector<char> &env, std::size_t offset) {
    if (offset >= env.size()) return {};
    const char *start = env.data() + offset;
    return std::string(start, strnlen(start, std::min(kDirectoryRoom, env.size() - offset)));
}

// A directory of the environment record, or "" with a problem line when it
// is empty or fills its field (a cut path would name another directory).
std::string UsableDirectory(const std::vector<char> &env, std::size_t offset, const char *key,
                            std::vector<std::string> &problems) {
    std::string directory = EnvText(env, offset);
    const char *format = directory.empty()                    ? texts::kSergenNoDirectory
                         : directory.size() >= kDirectoryRoom ? texts::kSergenDirectoryCut
                                                              : nullptr;
    if (format == nullptr) return directory;
    char line[256];
    std::snprintf(line, sizeof line, format, key);
    problems.emplace_back(line);
    platform::TraceF("%s\n", line);
    return {};
}

}  // namespace

EditorSession::EditorSession(EditorState &state, ConnectionSource connection, MessageSink &messages)
    : state_(state), connection_(std::move(connection)), messages_(messages) {}

EditorSession::~EditorSession() {
    Close();
}

OpenReport EditorSession::Open(const void *moduleAddress, bool loadFullModule) {
    Close();
    open_ = true;
    OpenReport report;
    configDirectory_.clear();
    moduleDirectory_.clear();
    maskProblem_.clear();
    maskUsable_ = false;
    state_.mask.Clear();
    report.plinthResult = plinth_.LoadPlinth(kPlinthVariant, moduleAddress);
    report.plinthLoaded = report.plinthResult >= 1;
    if (!report.plinthLoaded) {
        report.problems.push_back(texts::kPlinthLoadError);
        lastOpen_ = report;
        return report;
    }
    std::vector<char> env(static_cast<std::size_t>(PLINTH_ENV_SIZE), '\0');
    if (plinth_.GetPlinth(env.data()) == 1) {
        configDirectory_ =
            UsableDirectory(env, PLINTH_ENV_CONFIG_DIRECTORY, "configDirectory", report.problems);
        moduleDirectory_ =
            UsableDirectory(env, PLINTH_ENV_MODULE_DIRECTORY, "moduleDirectory", report.problems);
    } else {
        report.problems.push_back(texts::kPlinthLoadError);
    }
    report.configUsable = !configDirectory_.empty();
    report.moduleDirUsable = !moduleDirectory_.empty();
    if (report.configUsable) {
        report.mask = state_.mask.LoadMask(MaskPath());
        maskProblem_ = MaskLoadProblem(report.mask, MaskPath());
        maskUsable_ = maskProblem_.empty();
        if (!maskUsable_) {
            report.problems.push_back(maskProblem_);
            platform::TraceF("%s\n", maskProblem_.c_str());
        }
    } else {
        maskProblem_ = report.problems.empty() ? std::string() : report.problems.front();
    }
    if (loadFullModule && report.moduleDirUsable) fullModule_.Load(FullModulePath());
    lastOpen_ = report;
    return report;
}

void EditorSession::Close() {
    if (!open_) return;
    open_ = false;
    if (fullModule_.IsLoaded()) {
        fullModule_.ExtStop();
        fullModule_.ExtRelease();
        fullModule_.Unload();
    }
    plinth_.UnloadPlinth();
}

std::string EditorSession::MaskPath() const {
    return configDirectory_.empty() ? std::string() : configDirectory_ + "/" + kMaskFileName;
}

std::string EditorSession::FullModulePath() const {
    return moduleDirectory_.empty() ? std::string()
                                    : moduleDirectory_ + "/" + kFullStandardModuleFile;
}

bool EditorSession::RefuseUnusableMask() {
    if (maskUsable_) return false;
    messages_.Show({maskProblem_, texts::kCaptionPrompt, MessageIcon::kExclamation});
    return true;
}

int EditorSession::LoadCatalogue() {
    return generator::LoadCatalogue(connection_(), state_.catalogue, messages_);
}

BrandQuery EditorSession::Brands(const std::string &prefix) {
    return QueryBrands(connection_(), prefix);
}

std::vector<std::string> EditorSession::Series(const std::string &brand) {
    return QuerySeries(connection_(), brand, messages_);
}

void EditorSession::LoadSeries(const std::string &brand, const std::string &series) {
    try {
        stationdb::Connection *connection = connection_();
        LoadSeriesLimits(connection, state_.catalogue, brand, series);
        // A load that ran replaced every limit with the stored one.
        if (!platform::TrimBlanks(series).empty() && connection != nullptr && connection->IsOpen())
            dirty_ = false;
    } catch (const stationdb::DatabaseError &e) {
        platform::TraceF("%s\n", ErrorTextGbk(e).c_str());
        throw;
    }
}

GenerationResult EditorSession::Generate(const std::string &brand, const std::string &series,
                                         const ChangeOrigin &origin) {
    try {
        GenerationResult result =
            GenerateSeriesStandard(connection_(), state_.catalogue, brand, series, origin);
        if (result.ran) dirty_ = false;
        return result;
    } catch (const stationdb::DatabaseError &e) {
        platform::TraceF("%s\n", ErrorTextGbk(e).c_str());
        throw;
    }
}

bool EditorSession::ClearStandards(const ChangeOrigin &origin) {
    return generator::ClearStandards(connection_(), origin);
}

StandardCounts EditorSession::CountStandards() {
    stationdb::Connection *connection = connection_();
    if (connection == nullptr || !connection->IsOpen()) return {};
    return generator::CountStandards(*connection);
}

int EditorSession::SetLimits(const ParamPosition &at, float hvalue, float lvalue) {
    const CatalogueParam *edited = state_.catalogue.Find(at);
    if (edited == nullptr) return 0;
    const int32_t itemid = state_.catalogue.devices[static_cast<std::size_t>(at.device)]
                               .items[static_cast<std::size_t>(at.item)]
                               .itemid;
    const int32_t paramid = edited->paramid;
    int places = 0;
    state_.catalogue.ForEachParam(
        [&](CatalogueDevice &, CatalogueItem &item, CatalogueParam &param, const ParamPosition &) {
            if (item.itemid != itemid || param.paramid != paramid) return;
            param.hvalue = hvalue;
            param.lvalue = lvalue;
            ++places;
        });
    dirty_ = true;
    return places;
}

DefaultStandardResult EditorSession::ComputeDefault(const VehicleConditions &conditions) {
    const DefaultStandardResult result =
        ComputeDefaultStandard(plinth_, fullModule_, conditions, state_.buffers);
    if (result == DefaultStandardResult::kModuleMissing)
        messages_.Show({texts::kFullModuleMissing, texts::kCaptionPrompt, MessageIcon::kNone});
    else if (result == DefaultStandardResult::kHeadNotWritten)
        messages_.Show({texts::kCreateStandardFailed, texts::kCaptionPrompt, MessageIcon::kNone});
    return result;
}

AppliedDefault EditorSession::ApplyDefault() {
    if (RefuseUnusableMask()) return {};
    AppliedDefault applied = ApplyDefaultStandard(plinth_, state_.buffers.standard.data(),
                                                  state_.catalogue, state_.mask);
    if (!applied.rows.empty()) dirty_ = true;
    return applied;
}

MaskChangeResult EditorSession::ChangeMask(const std::vector<MaskChoice> &rows) {
    if (RefuseUnusableMask()) return MaskChangeResult::kUnusable;
    const MaskChangeResult result = state_.mask.ChangeMask(rows, MaskPath());
    if (result == MaskChangeResult::kFull)
        messages_.Show({texts::kMaskTableFull, texts::kCaptionPrompt, MessageIcon::kExclamation});
    return result;
}

MaskChangeResult EditorSession::ReplaceMask(const std::vector<int32_t> &paramids) {
    if (RefuseUnusableMask()) return MaskChangeResult::kUnusable;
    const MaskChangeResult result = state_.mask.ReplaceMask(paramids, MaskPath());
    if (result == MaskChangeResult::kFull)
        messages_.Show({texts::kMaskTableFull, texts::kCaptionPrompt, MessageIcon::kExclamation});
    return result;
}

}  // namespace generator
