#pragma once
// What the history commands print: text for a person, JSON for a program
// (through to_json), one HTML page. Nothing here queries anything.
#include <cstddef>
#include <string>

#include "history_work.h"
#include "json_output.h"

namespace stdhost {

// The rows of one change set the text of a list shows.
inline constexpr std::size_t kTextRowsPerSet = 20;

// JSON of a change set, its rows as read.
Json ChangeSetJson(const generator::ChangeSet &set);
void to_json(Json &j, const HistoryList &list);
void to_json(Json &j, const HistoryShow &show);
void to_json(Json &j, const HistoryAsOf &asOf);

// The text forms: a change set's header line, then its rows
// "item condition param: old -> new"; a list shows at most kTextRowsPerSet
// rows of each.
std::string HistoryListText(const HistoryList &list, std::size_t rowsPerSet = kTextRowsPerSet);
std::string ChangeSetText(const HistoryShow &show);
std::string LimitsAsOfText(const HistoryAsOf &asOf);

// The list as one self-contained HTML page: each change set with its rows,
// old and new limits side by side, the values that changed marked.
std::string HistoryHtml(const HistoryList &list);

}  // namespace stdhost
