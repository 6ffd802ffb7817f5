#include "generator/editor_session.h"

#include <cstring>
#include <utility>

#include "gbk_texts.h"
#include "platform/trace.h"
#include "statements.h"

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

}  // namespace

EditorSession::EditorSession(EditorState &state, ConnectionSource connection, MessageSink &messages)
    : state_(state), connection_(std::move(connection)), messages_(messages) {}

EditorSession::~EditorSession() {
    Close();
}

void EditorSession::Open(const void *moduleAddress, bool loadFullModule) {
    Close();
    open_ = true;
    plinth_.LoadPlinth(kPlinthVariant, moduleAddress);
    const int reported = plinth_.GetPlinthStrSize();
    std::vector<char> env(static_cast<std::size_t>(std::max(PLINTH_ENV_SIZE, reported)), '\0');
    if (plinth_.GetPlinth(env.data()) == 1) {
        configDirectory_ = EnvText(env, PLINTH_ENV_CONFIG_DIRECTORY);
        moduleDirectory_ = EnvText(env, PLINTH_ENV_MODULE_DIRECTORY);
    }
    state_.mask.Clear();
    state_.mask.LoadMask(MaskPath());
    if (loadFullModule) fullModule_.Load(FullModulePath());
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
    return configDirectory_ + "/" + kMaskFileName;
}

std::string EditorSession::FullModulePath() const {
    return moduleDirectory_ + "/" + kFullStandardModuleFile;
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
        LoadSeriesLimits(connection_(), state_.catalogue, brand, series);
    } catch (const stationdb::DatabaseError &e) {
        platform::TraceF("%s\n", ErrorTextGbk(e).c_str());
        throw;
    }
}

GenerationResult EditorSession::Generate(const std::string &brand, const std::string &series) {
    try {
        return GenerateSeriesStandard(connection_(), state_.catalogue, brand, series);
    } catch (const stationdb::DatabaseError &e) {
        platform::TraceF("%s\n", ErrorTextGbk(e).c_str());
        throw;
    }
}

bool EditorSession::ClearStandards() {
    return generator::ClearStandards(connection_());
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
    return ApplyDefaultStandard(plinth_, state_.buffers.standard.data(), state_.catalogue,
                                state_.mask);
}

MaskChangeResult EditorSession::ChangeMask(const std::vector<MaskChoice> &rows) {
    const MaskChangeResult result = state_.mask.ChangeMask(rows, MaskPath());
    if (result == MaskChangeResult::kFull)
        messages_.Show({texts::kMaskTableFull, texts::kCaptionPrompt, MessageIcon::kExclamation});
    return result;
}

MaskChangeResult EditorSession::ReplaceMask(const std::vector<int32_t> &paramids) {
    const MaskChangeResult result = state_.mask.ReplaceMask(paramids, MaskPath());
    if (result == MaskChangeResult::kFull)
        messages_.Show({texts::kMaskTableFull, texts::kCaptionPrompt, MessageIcon::kExclamation});
    return result;
}

}  // namespace generator
