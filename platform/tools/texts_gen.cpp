// Build tool: turns the UTF-8 table of the system's texts (name TAB text per
// row, '#' comments, C escapes \n \t \\ in the text) into a header of GBK
// byte-escaped literals. Fails on a bad row or a text with no GBK form.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

#include "platform/gbk.h"

namespace {

bool Unescape(const std::string &in, std::string &out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out.push_back(in[i]);
            continue;
        }
        if (++i == in.size()) return false;
        switch (in[i]) {
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case '\\':
                out.push_back('\\');
                break;
            default:
                return false;
        }
    }
    return true;
}

bool ValidName(const std::string &name) {
    if (name.size() < 2 || name[0] != 'k') return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: texts_gen TABLE.tsv OUT.h\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot open\n";
        return 1;
    }
    std::ostringstream out;
    const std::string table = argv[1];
    out << "// Generated from " << table.substr(table.find_last_of('/') + 1)
        << " by texts_gen: GBK bytes of the system's texts.\n"
           "#pragma once\n\nnamespace texts {\n\n";
    std::set<std::string> names;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        auto tab = line.find('\t');
        std::string name = line.substr(0, tab);
        std::string raw = tab == std::string::npos ? std::string() : line.substr(tab + 1);
        std::string text, gbk;
        if (tab == std::string::npos || !ValidName(name) || !names.insert(name).second ||
            !Unescape(raw, text) || !platform::Utf8ToGbk(text, gbk)) {
            std::cerr << argv[1] << ":" << lineNo
                      << ": bad row (name, duplicate, escape or no GBK form)\n";
            return 1;
        }
        out << "inline constexpr char " << name << "[] = \"";
        for (unsigned char c : gbk) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out << hex;
        }
        out << "\";  // " << raw << "\n";
    }
    out << "\n}  // namespace texts\n";
    // Rewrite only on change, so that a touched table does not rebuild everything.
    std::ifstream old(argv[2], std::ios::binary);
    std::stringstream oldText;
    oldText << old.rdbuf();
    if (old && oldText.str() == out.str()) return 0;
    std::ofstream o(argv[2], std::ios::binary | std::ios::trunc);
    o << out.str();
    return o ? 0 : 1;
}
