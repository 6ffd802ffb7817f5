#include "code_dictionary.h"

#include <optional>
#include <vector>

#include "library_files.h"
#include "platform/atomic_file.h"
#include "platform/gbk.h"
#include "platform/text_fields.h"
#include "platform/trace.h"
#include "platform/value_text.h"
#include "text_ops.h"

namespace plinth {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A key column: 4 digits for a parameter ID, 8 for a code.
std::optional<int> ParseKey(std::string_view text) {
    text = platform::TrimSpacesAndTabs(text);
    if (text.size() != 4 && text.size() != 8) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    const bool isParameter = text.size() == 4 && value >= kMinParameter;
    const bool isCode = text.size() == 8 && value >= kMinCode && value % kCodeFactor != 0;
    if (!isParameter && !isCode) return std::nullopt;
    return value;
}

bool IsCode(int key) {
    return key >= kMinCode;
}

bool HasControlByte(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

void TraceSkipped(std::string_view source, int line, const char *reason) {
    platform::TraceF("plinth: %.*s:%d: %s; row skipped", static_cast<int>(source.size()),
                     source.data(), line, reason);
}

}  // namespace

CodeDictionary CodeDictionary::FromTsv(std::string_view utf8, std::string_view source) {
    CodeDictionary dictionary;
    std::map<int, int> subCodeLines;  // sub-code -> its line, checked once all rows are in
    if (utf8.substr(0, kUtf8Bom.size()) == kUtf8Bom) utf8.remove_prefix(kUtf8Bom.size());

    int lineNumber = 0;
    while (!utf8.empty()) {
        const auto newline = utf8.find('\n');
        std::string_view line = utf8.substr(0, newline);
        utf8.remove_prefix(newline == std::string_view::npos ? utf8.size() : newline + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view trimmed = platform::TrimSpacesAndTabs(line);
        if (trimmed.empty() || trimmed.front() == '#') continue;

        const auto columns = platform::SplitFields(line);
        if (columns.size() < 2 || columns.size() > 3) {
            TraceSkipped(source, lineNumber, "expected key, name and optional main code");
            continue;
        }
        const auto key = ParseKey(columns[0]);
        if (!key) {
            TraceSkipped(source, lineNumber, "key is neither a parameter ID nor a code");
            continue;
        }
        const std::string_view name = platform::TrimSpacesAndTabs(columns[1]);
        if (name.empty() || HasControlByte(name)) {
            TraceSkipped(source, lineNumber, "name is empty or holds a control character");
            continue;
        }
        Entry entry;
        if (!platform::Utf8ToGbk(name, entry.name)) {
            TraceSkipped(source, lineNumber, "name is not UTF-8 with a GBK form");
            continue;
        }
        if (columns.size() == 3 && !platform::TrimSpacesAndTabs(columns[2]).empty()) {
            const auto main = ParseKey(columns[2]);
            if (!IsCode(*key) || !main || !IsCode(*main) || *main == *key ||
                *main / kCodeFactor != *key / kCodeFactor) {
                TraceSkipped(source, lineNumber,
                             "main code is not another code of the same parameter");
                continue;
            }
            entry.mainCode = *main;
        }
        const bool isSubCode = entry.mainCode != 0;
        if (!dictionary.entries_.emplace(*key, std::move(entry)).second) {
            TraceSkipped(source, lineNumber, "key repeats an earlier row");
            continue;
        }
        if (isSubCode) subCodeLines[*key] = lineNumber;
    }

    // A main code must be a named code that is not a sub-code itself.
    for (const auto &[subCode, line] : subCodeLines) {
        const Entry *main = dictionary.Find(dictionary.entries_.at(subCode).mainCode);
        if (main == nullptr || main->mainCode != 0) {
            TraceSkipped(source, line, "main code is not a main code of the dictionary");
            dictionary.entries_.erase(subCode);
        }
    }
    return dictionary;
}

CodeDictionary CodeDictionary::FromFile(const std::string &path) {
    std::string bytes;
    if (path.empty() || !platform::ReadWholeFile(path, bytes)) {
        platform::TraceF("plinth: cannot read the code dictionary \"%s\"", path.c_str());
        return {};
    }
    return FromTsv(bytes, path);
}

const CodeDictionary::Entry *CodeDictionary::Find(int key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

bool CodeDictionary::NamesParameter(int paramId) const {
    return paramId >= kMinParameter && paramId <= kMaxParameter && Find(paramId) != nullptr;
}

int CodeDictionary::MainCode(int code) const {
    const Entry *entry = Find(code);
    return entry != nullptr && entry->mainCode != 0 ? entry->mainCode : code;
}

int CodeDictionary::CodeNamed(int paramId, std::string_view gbkName) const {
    if (paramId < kMinParameter || paramId > kMaxParameter) return 0;
    const int first = paramId * kCodeFactor + 1;
    const int last = paramId * kCodeFactor + (kCodeFactor - 1);
    for (auto it = entries_.lower_bound(first); it != entries_.end() && it->first <= last; ++it)
        if (it->second.name == gbkName) return it->first;
    return 0;
}

const CodeDictionary &Dictionary() {
    // Built on the first call; a throwing load leaves it unbuilt for the next.
    static const CodeDictionary dictionary =
        CodeDictionary::FromFile(FileFromEnvironmentOrBeside("PLINTH_CODES", "plinth-codes.tsv"));
    return dictionary;
}

}  // namespace plinth
