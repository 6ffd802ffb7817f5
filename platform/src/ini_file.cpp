#include "platform/ini_file.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "gbk_texts.h"
#include "platform/ascii_case.h"
#include "platform/atomic_file.h"
#include "platform/trace.h"
#include "platform/value_text.h"

namespace platform {
namespace {

struct Line {
    std::string text;  // without its line ending
};

// "[name]" gives true and the trimmed name.
bool SectionName(std::string_view line, std::string_view &name) {
    line = TrimLineBlanks(line);
    if (line.size() < 2 || line.front() != '[') return false;
    auto close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = TrimLineBlanks(line.substr(1, close - 1));
    return true;
}

// "key = value" gives true, the trimmed key and the raw value.
bool KeyValue(std::string_view line, std::string_view &key, std::string_view &value) {
    std::string_view t = TrimLineBlanks(line);
    if (t.empty() || t.front() == ';') return false;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = TrimLineBlanks(t.substr(0, eq));
    value = TrimLineBlanks(t.substr(eq + 1));
    return true;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::vector<std::string> SplitLines(const std::string &bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        auto nl = bytes.find('\n', start);
        if (nl == std::string::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

// The file's bytes for reading, at most kProfileReadLimit of them; false
// when there is nothing to read (missing, not a regular file, unreadable).
bool ReadProfile(const std::string &path, std::string &bytes) {
    switch (ReadFileAtMost(path, kProfileReadLimit, bytes)) {
        case ReadResult::kOk:
            return true;
        case ReadResult::kCut:
            TraceF(texts::kFileReadCut, path.c_str(), kProfileReadLimit);
            return true;
        default:
            return false;
    }
}

// The old bytes of a file about to be rewritten; false when it must not be
// rewritten: it is not a regular file, or longer than a reader would take
// (its tail would be lost).
bool ReadForRewrite(const std::string &path, std::string &bytes) {
    switch (ReadFileAtMost(path, kProfileReadLimit, bytes)) {
        case ReadResult::kOk:
            return true;
        case ReadResult::kCut:
            TraceF(texts::kFileReadCut, path.c_str(), kProfileReadLimit);
            return false;
        case ReadResult::kNotRegular:
            return false;
        case ReadResult::kMissing:
        case ReadResult::kFailed:
            break;
    }
    bytes.clear();  // a missing or unreadable file is an empty one
    return true;
}

bool FindValue(const std::string &path, const std::string &section, const std::string &key,
               std::string &value) {
    std::string bytes;
    if (!ReadProfile(path, bytes)) return false;
    bool inSection = false;
    for (const std::string &line : SplitLines(bytes)) {
        std::string_view name, k, v;
        if (SectionName(line, name)) {
            if (inSection) return false;  // the first section of that name only
            inSection = EqualsAsciiNoCase(name, section);
            continue;
        }
        if (inSection && KeyValue(line, k, v) && EqualsAsciiNoCase(k, key)) {
            value.assign(Unquote(v));
            return true;
        }
    }
    return false;
}

}  // namespace

ProfileSection GetProfileSection(const std::string &path, const std::string &section) {
    ProfileSection entries;
    std::string bytes;
    if (!ReadProfile(path, bytes)) return entries;
    bool inSection = false;
    for (const std::string &line : SplitLines(bytes)) {
        std::string_view name, k, v;
        if (SectionName(line, name)) {
            if (inSection) break;  // the first section of that name only
            inSection = EqualsAsciiNoCase(name, section);
            continue;
        }
        if (inSection && KeyValue(line, k, v)) entries.emplace_back(k, Unquote(v));
    }
    return entries;
}

bool WriteProfileSection(const std::string &path, const std::string &section,
                         const ProfileSection &entries) {
    if (section.empty() || section.find_first_of("[]\r\n") != std::string::npos) return false;
    for (const auto &[key, value] : entries)
        if (key.empty() || key.find_first_of("=[\r\n") != std::string::npos ||
            value.find_first_of("\r\n") != std::string::npos)
            return false;

    std::string old;
    if (!ReadForRewrite(path, old)) return false;
    std::string kept;
    bool skipping = false;
    std::string_view rest = old;
    while (!rest.empty()) {
        auto nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl == std::string_view::npos ? rest.size() : nl + 1);
        rest.remove_prefix(line.size());
        std::string_view name;
        if (SectionName(line, name)) skipping = EqualsAsciiNoCase(name, section);
        if (skipping) continue;
        kept.append(line);
        if (line.back() != '\n') kept += '\n';
    }
    while (kept.size() >= 2 && kept[kept.size() - 1] == '\n' && kept[kept.size() - 2] == '\n')
        kept.pop_back();
    if (!kept.empty()) kept += '\n';
    kept += "[" + section + "]\n";
    for (const auto &[key, value] : entries) kept.append(key).append(" = ").append(value) += '\n';
    return WriteFileAtomically(path, kept) == AtomicWriteResult::kOk;
}

std::string GetProfileString(const std::string &path, const std::string &section,
                             const std::string &key, const std::string &defaultValue) {
    std::string value;
    if (FindValue(path, section, key, value)) return value;
    return std::string(TrimLineBlanks(defaultValue));
}

int GetProfileInt(const std::string &path, const std::string &section, const std::string &key,
                  int defaultValue) {
    std::string value;
    if (!FindValue(path, section, key, value)) return defaultValue;
    const char *p = value.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = (*p++ == '-');
    unsigned long long n = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        std::isxdigit(static_cast<unsigned char>(p[2]))) {
        n = std::strtoull(p + 2, nullptr, 16);
    } else {
        while (*p >= '0' && *p <= '9')
            n = n * 10 + static_cast<unsigned>(*p++ - '0'), n &= 0xFFFFFFFFull;
    }
    auto u = static_cast<unsigned int>(n);
    return static_cast<int>(negative ? 0u - u : u);
}

bool WriteProfileString(const std::string &path, const std::string &section, const std::string &key,
                        const std::string &value) {
    std::string bytes;
    if (!ReadForRewrite(path, bytes)) return false;
    const bool crlf = bytes.find("\r\n") != std::string::npos;
    const std::string eol = crlf ? "\r\n" : "\n";
    std::vector<std::string> lines = SplitLines(bytes);
    for (auto &l : lines)
        if (!l.empty() && l.back() == '\r') l.pop_back();

    const std::string entry = key + "=" + value;
    std::ptrdiff_t sectionAt = -1, insertAt = -1;
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        std::string_view name, k, v;
        if (SectionName(lines[i], name)) {
            if (sectionAt >= 0) break;  // end of our section
            if (EqualsAsciiNoCase(name, section)) {
                sectionAt = static_cast<std::ptrdiff_t>(i);
                insertAt = sectionAt + 1;
            }
            continue;
        }
        if (sectionAt < 0) continue;
        if (KeyValue(lines[i], k, v) && EqualsAsciiNoCase(k, key)) {
            lines[i] = entry;
            done = true;
        } else if (!TrimLineBlanks(lines[i]).empty()) {
            insertAt = static_cast<std::ptrdiff_t>(i) + 1;
        }
    }
    if (!done) {
        if (sectionAt < 0) {
            if (!lines.empty() && !TrimLineBlanks(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + insertAt, entry);
        }
    }
    std::string out;
    for (const auto &l : lines) out += l + eol;
    return WriteFileAtomically(path, out) == AtomicWriteResult::kOk;
}

}  // namespace platform
