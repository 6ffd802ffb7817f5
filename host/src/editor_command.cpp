// stdhost editor: the standards editor (libsergen.so) on the station's
// database as a line program opens it, or one of its dialogs rendered
// offscreen to a PNG.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "commands.h"
#include "ext_family.h"
#include "generator/sergen_module.h"
#include "platform/dynamic_library.h"
#include "series_station.h"

namespace stdhost {
namespace {

struct EditorOptions {
    std::string screenshot;
    std::string dialog = "main";
    std::string brand;
    std::string series;
    std::string size;
    ExtRect rect{0, 0, 1024, 720};
};

// The variable that has the editor make a framed window of its own with this
// title: stdhost hands over no window.
constexpr char kOwnWindowTitleVariable[] = "STATION_EDITOR_TITLE";

// "WxH", both 100 to 10000.
bool ParseSize(const std::string &text, ExtRect &rect) {
    int width = 0, height = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2) return false;
    if (width < 100 || height < 100 || width > 10000 || height > 10000) return false;
    rect = {0, 0, width, height};
    return true;
}

// The host's init record: zeros, the editor rectangle and the connection
// handle; the plug-in keeps its own defaults for the rest.
// Both are encoded as the plug-in decodes them (little-endian).
std::vector<unsigned char> InitRecord(const ExtRect &rect, uint32_t handle) {
    const std::vector<unsigned char> zeros(generator::kInitRecordBytes, 0);
    generator::InitRecord record;
    record.CopyFrom(zeros.data());
    record.SetRect({rect.left, rect.top, rect.right, rect.bottom});
    record.SetConnectionHandle(handle);
    return {record.Bytes(), record.Bytes() + generator::kInitRecordBytes};
}

// The station's connection under a process-wide handle, given up before
// the connection closes.
class RegisteredConnection {
  public:
    explicit RegisteredConnection(stationdb::Connection &connection)
        : connection_(connection), handle_(stationdb_register(&connection)) {}
    ~RegisteredConnection() {
        stationdb_unregister(handle_);
        connection_.Close();
    }
    RegisteredConnection(const RegisteredConnection &) = delete;
    RegisteredConnection &operator=(const RegisteredConnection &) = delete;
    uint32_t Handle() const { return handle_; }

  private:
    stationdb::Connection &connection_;
    uint32_t handle_;
};

using InitFunction = int (*)(void *);
using ShowFunction = int (*)(int, ExtRect);
using ScreenshotFunction = int (*)(const char *, const char *, const char *, const char *, int,
                                   int);

// libsergen.so from the library directory: its ExtInit and the export
// stdhost calls after it.
struct EditorPlugin {
    platform::DynamicLibrary library;
    InitFunction init = nullptr;
    void *entry = nullptr;
};

// kExitOk with ExtInit and `exportName` found, or kExitNoPlugin after a complaint.
int LoadEditorPlugin(const Station &station, EditorPlugin &plugin, const char *exportName) {
    const std::string path = station.libraryDir + "/libsergen.so";
    if (!plugin.library.Open(path)) {
        Complain("cannot load the editor plug-in " + path + ": " + plugin.library.LastError());
        return kExitNoPlugin;
    }
    plugin.init = reinterpret_cast<InitFunction>(plugin.library.Symbol("ExtInit"));
    plugin.entry = plugin.library.Symbol(exportName);
    if (plugin.init == nullptr || plugin.entry == nullptr) {
        Complain(path + " lacks ExtInit or " + exportName);
        return kExitNoPlugin;
    }
    return kExitOk;
}

// ExtInit with the record, then ExtShow until the user closes the editor.
int ShowInteractive(const Station &station, const std::vector<unsigned char> &record,
                    const ExtRect &rect) {
    EditorPlugin sergen;
    if (int rc = LoadEditorPlugin(station, sergen, "ExtShow"); rc != kExitOk) return rc;
    // stdhost has no window to hand over: the editor gets a framed window
    // of its own, named after the station.
    const std::string title = "标准编辑 - " + station.directory;
    ::setenv(kOwnWindowTitleVariable, title.c_str(), 1);
    std::vector<unsigned char> copy(record);
    if (int rc = sergen.init(copy.data()); rc != EXT_DONE) {
        Complain("the editor plug-in refused the station's connection (ExtInit " +
                 std::to_string(rc) + ")");
        return kExitNoDatabase;
    }
    // The plug-in checks for a display itself: -1002 without one.
    const int rc = reinterpret_cast<ShowFunction>(sergen.entry)(1, rect);
    if (rc == EXT_EXCEPTION) {
        Complain("no display: set DISPLAY, or use --screenshot (STATION_TRACE=- shows more)");
        return kExitFailure;
    }
    if (rc != EXT_DONE) {
        Complain("the editor failed (ExtShow " + std::to_string(rc) + ")");
        return kExitFailure;
    }
    return kExitOk;
}

// The chosen series must exist, and a picture of an empty list says nothing:
// the catalogue must be readable and hold a device.
int CheckScreenshotStation(const EditorOptions &o, SeriesStation &s) {
    if (!o.brand.empty()) {
        std::string brand, series;
        if (!ArgumentToGbk(o.brand, "BRAND", brand) || !ArgumentToGbk(o.series, "SERIES", series))
            return kExitUsage;
        try {
            if (int rc = CheckSeriesExists(s, brand, series); rc != kExitOk) return rc;
        } catch (const stationdb::DatabaseError &e) {
            return DatabaseFailure("reading the series", e);
        }
    }
    try {
        if (generator::LoadCatalogue(&s.connection, s.state.catalogue, s.messages) == 0 &&
            s.state.catalogue.devices.empty()) {
            Complain("tb_line_info lists no device: the editor would show an empty list");
            return kExitFailure;
        }
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("reading the catalogue", e);
    }
    return kExitOk;
}

// The plug-in renders the dialog offscreen (ExtScreenshot) on the station of ExtInit.
int Screenshot(const EditorOptions &o, SeriesStation &s, const std::vector<unsigned char> &record) {
    if (int rc = CheckScreenshotStation(o, s); rc != kExitOk) return rc;
    EditorPlugin sergen;
    if (int rc = LoadEditorPlugin(s.station, sergen, "ExtScreenshot"); rc != kExitOk) return rc;
    std::vector<unsigned char> copy(record);
    if (int rc = sergen.init(copy.data()); rc != EXT_DONE) {
        Complain("the station's connection does not resolve (" + std::to_string(rc) + ")");
        return kExitNoDatabase;
    }
    const bool chosen = !o.brand.empty();
    auto screenshot = reinterpret_cast<ScreenshotFunction>(sergen.entry);
    if (screenshot(o.screenshot.c_str(), o.dialog.c_str(), chosen ? o.brand.c_str() : nullptr,
                   chosen ? o.series.c_str() : nullptr, o.rect.right - o.rect.left,
                   o.rect.bottom - o.rect.top) != EXT_DONE) {
        Complain("cannot render the " + o.dialog + " dialog to " + o.screenshot +
                 " (STATION_TRACE=- shows more)");
        return kExitFailure;
    }
    std::printf("%s dialog written to %s\n", o.dialog.c_str(), o.screenshot.c_str());
    return kExitOk;
}

int Editor(const std::string &stationOption, const EditorOptions &o) {
    SeriesStation s;
    if (int rc = ConnectSeriesStation(stationOption, s); rc != kExitOk) return rc;
    RegisteredConnection registered(s.connection);
    const std::vector<unsigned char> record = InitRecord(o.rect, registered.Handle());
    return o.screenshot.empty() ? ShowInteractive(s.station, record, o.rect)
                                : Screenshot(o, s, record);
}

}  // namespace

void AddEditorCommand(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<EditorOptions>();
    CLI::App *editor = AddCommand(
        app, line, "editor",
        "Open the standards editor (libsergen.so) on the station, or render one of its "
        "dialogs to a PNG without a display.",
        [&line, o] { return Editor(line.station, *o); },
        [o](const CLI::App &command) {
            if (command.count("--size") > 0 && !ParseSize(o->size, o->rect))
                throw CLI::ValidationError("--size",
                                           "expected WxH (100 to 10000), not \"" + o->size + "\"");
            if (o->brand.empty() != o->series.empty())
                throw CLI::ValidationError("--brand", "--brand and --series go together");
            if (command.count("--screenshot") > 0 && o->screenshot.empty())
                throw CLI::ValidationError("--screenshot", "names no file");
        });
    CLI::Option *shot =
        editor->add_option("--screenshot", o->screenshot, "render a dialog to this PNG file")
            ->type_name("FILE");
    editor->add_option("--dialog", o->dialog, "the dialog of the screenshot (default main)")
        ->check(CLI::IsMember({"main", "conditions", "mask", "limit"}))
        ->type_name("DIALOG")
        ->needs(shot);
    editor->add_option("--brand", o->brand, "the brand whose series the screenshot shows")
        ->type_name("BRAND")
        ->needs(shot);
    editor->add_option("--series", o->series, "the vehicle series of --brand")
        ->type_name("SERIES")
        ->needs(shot);
    editor->add_option("--size", o->size, "the editor's size (default 1024x720)")->type_name("WxH");
    editor->fallthrough();  // --station after the command name too
}

}  // namespace stdhost
