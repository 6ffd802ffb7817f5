// stdhost history: the change sets recorded for the standard table, one
// change set whole, and the limits of an item and condition at a moment.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "commands.h"
#include "history_render.h"
#include "history_work.h"
#include "json_output.h"
#include "platform/atomic_file.h"
#include "station.h"

namespace stdhost {
namespace {

// The rows of each change set a list reads without a row filter: what the
// text shows; JSON and the page show more. The rest are counted, not read.
constexpr std::size_t kRowsForPage = 500;

const char kTimeForms[] = "UTC: YYYY-MM-DD, \"YYYY-MM-DD HH:MM\" or \"YYYY-MM-DD HH:MM:SS\"";

struct HistoryOptions {
    int item = 0, param = 0;
    std::string condition, since, until, asOf, html;
    std::vector<std::string> series;
    long long limit = 20;
    long long rows = static_cast<long long>(kTextRowsPerSet);
    bool json = false;
    // Filled in by the check.
    HistoryRequest request;
    std::string asOfUtc;
};

// The time of `option`, else CLI::ValidationError naming it.
std::string TimeOption(const std::string &option, const std::string &text, bool endOfPeriod) {
    const std::optional<std::string> utc = UtcTimeOf(text, endOfPeriod);
    if (!utc)
        throw CLI::ValidationError(
            option, "\"" + text + "\" is no date or time; expected " + std::string(kTimeForms));
    return *utc;
}

void CheckOptions(const CLI::App &command, HistoryOptions &o) {
    generator::HistoryFilter &filter = o.request.filter;
    const auto given = [&](const char *name) { return command.count(name) > 0; };
    if (given("--item")) filter.itemid = o.item;
    if (given("--param")) filter.paramid = o.param;
    if (given("--condition")) filter.condition = o.condition;
    if (o.series.size() == 2) o.request.series = {{o.series[0], o.series[1]}};
    if (o.limit < 0) throw CLI::ValidationError("--limit", "must be 0 (all) or more");
    if (o.rows < 0) throw CLI::ValidationError("--rows", "must be 0 (headers only) or more");
    filter.limit = o.limit;
    if (given("--since")) filter.since = TimeOption("--since", o.since, false);
    if (given("--until")) filter.until = TimeOption("--until", o.until, true);
    if (!filter.since.empty() && !filter.until.empty() && filter.until < filter.since)
        throw CLI::ValidationError("--until", "is before --since: no moment lies between them");
    if (!given("--as-of")) return;
    o.asOfUtc = TimeOption("--as-of", o.asOf, true);
    if (!filter.itemid || !(filter.condition || o.request.series))
        throw CLI::ValidationError("--as-of",
                                   "needs --item and --condition (or --series BRAND SERIES)");
}

int List(const std::string &stationOption, HistoryOptions &o) {
    if (!o.asOfUtc.empty()) {
        const HistoryAsOf asOf =
            ReadLimitsAsOf(stationOption, o.asOfUtc, *o.request.filter.itemid, o.request);
        if (asOf.exitCode != kExitOk) return asOf.exitCode;
        if (o.json)
            PrintJson(Json(asOf));
        else
            std::fputs(LimitsAsOfText(asOf).c_str(), stdout);
        return kExitOk;
    }
    o.request.filter.maxRowsPerSet =
        o.json || !o.html.empty() ? kRowsForPage : static_cast<std::size_t>(std::max(1LL, o.rows));
    const HistoryList list = ListHistory(stationOption, o.request);
    if (list.exitCode != kExitOk) return list.exitCode;
    if (!o.html.empty()) {
        const platform::AtomicWriteResult written =
            platform::WriteFileAtomically(o.html, HistoryHtml(list));
        if (written != platform::AtomicWriteResult::kOk) {
            Complain("cannot write " + o.html + ": " + platform::AtomicWriteProblem(written));
            return kExitFailure;
        }
        std::printf("wrote %s: %zu change set%s\n", o.html.c_str(), list.sets.size(),
                    list.sets.size() == 1 ? "" : "s");
        return kExitOk;
    }
    if (o.json)
        PrintJson(Json(list));
    else
        std::fputs(HistoryListText(list, static_cast<std::size_t>(o.rows)).c_str(), stdout);
    return kExitOk;
}

int Show(const std::string &stationOption, long long id, bool json) {
    const HistoryShow shown = ShowChangeSet(stationOption, id);
    if (shown.exitCode != kExitOk) return shown.exitCode;
    if (json)
        PrintJson(Json(shown));
    else
        std::fputs(ChangeSetText(shown).c_str(), stdout);
    return kExitOk;
}

void AddShowCommand(CLI::App &history, CommandLine &line) {
    auto o = std::make_shared<std::pair<long long, bool>>(0, false);
    CLI::App *show = AddCommand(history, line, "show", "One change set with all its rows.",
                                [&line, o] { return Show(line.station, o->first, o->second); });
    show->add_option("ID", o->first, "the change set's number")
        ->required()
        ->check(ChangeSetNumber());
    show->add_flag("--json", o->second, "print JSON");
    show->fallthrough();
}

}  // namespace

void AddHistoryCommand(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<HistoryOptions>();
    // Not AddCommand: the group runs itself unless `show` was chosen, whose
    // callback runs first.
    CLI::App *history = app.add_subcommand(
        "history",
        "The change sets recorded for the standard table, newest first; with --as-of, the "
        "limits of an item and condition at that moment. Times are UTC.");
    history->callback([&line, history, o] {
        if (!history->get_subcommands().empty()) return;
        CheckOptions(*history, *o);
        line.run = [&line, o] { return List(line.station, *o); };
    });
    history->fallthrough();
    history->add_option("--series", o->series, "only the rows of this series' condition")
        ->type_name("BRAND SERIES")
        ->expected(2);
    history->add_option("--item", o->item, "only the rows of this item")->type_name("N");
    history->add_option("--param", o->param, "only the rows of this parameter")->type_name("N");
    CLI::Option *condition =
        history->add_option("--condition", o->condition, "only the rows of this condition")
            ->type_name("TEXT");
    condition->excludes(history->get_option("--series"));
    history->add_option("--since", o->since, std::string("from this time on, ") + kTimeForms)
        ->type_name("DATE");
    history
        ->add_option(
            "--until", o->until,
            std::string("up to this time (a date or a minute: through its end), ") + kTimeForms)
        ->type_name("DATE");
    history->add_option("--rows", o->rows, "rows shown under each change set, 0 none (default 20)")
        ->type_name("N");
    history->add_option("--limit", o->limit, "the newest N change sets, 0 all (default 20)")
        ->type_name("N");
    history->add_flag("--json", o->json, "print JSON");
    history->add_option("--html", o->html, "write the change sets as one HTML page instead")
        ->type_name("FILE");
    CLI::Option *asOf =
        history
            ->add_option("--as-of", o->asOf,
                         std::string("the limits of --item and --condition at this time (a "
                                     "date or a minute: at its end), ") +
                             kTimeForms)
            ->type_name("DATETIME");
    for (const char *other : {"--since", "--until", "--limit", "--rows", "--html"})
        asOf->excludes(history->get_option(other));
    AddShowCommand(*history, line);
}

}  // namespace stdhost
