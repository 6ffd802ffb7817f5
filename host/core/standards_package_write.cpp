// The standards package's writer: every field is checked as the reader
// checks it, so what it writes always reads back to the same rows.
#include <stdexcept>

#include "platform/sha256.h"
#include "platform/utf8.h"
#include "standards_package.h"
#include "standards_package_fields.h"

namespace stdhost {
namespace {

using namespace package;

[[noreturn]] void Refuse(const std::string &where, const std::string &problem) {
    throw std::invalid_argument("standards package: " + where + ": " + problem);
}

void CheckHeader(const PackageHeader &header) {
    const std::pair<const char *, const std::string *> texts[] = {
        {"name", &header.name}, {"version", &header.version}, {"issuer", &header.issuer}};
    for (const auto &[key, text] : texts) {
        std::string problem = HeaderTextProblem(*text);
        if (problem.empty() && !platform::IsValidUtf8(*text)) problem = "is not UTF-8";
        if (!problem.empty()) Refuse(std::string("header ") + key, problem);
    }
    if (std::string problem = DateProblem(header.effective); !problem.empty())
        Refuse("header effective", problem);
}

// A text of a row: UTF-8 without a TAB, CR, LF or NUL (then its GBK form is
// judged as the reader judges it).
std::string RowTextProblem(const std::string &text) {
    if (!platform::IsValidUtf8(text)) return "is not UTF-8";
    if (text.find_first_of(std::string_view("\t\r\n\0", 4)) != std::string::npos)
        return "holds a TAB, CR, LF or NUL";
    return "";
}

// The row's condition number in `conditions`.
std::uint32_t CheckRow(const PackageRow &row, ColumnTexts &types, ColumnTexts &conditions) {
    const auto refuse = [&row](const std::string &problem) {
        throw std::invalid_argument("standards package: row item " + std::to_string(row.itemid) +
                                    ", condition \"" + row.condition + "\", parameter " +
                                    std::to_string(row.paramid) + ": " + problem);
    };
    if (row.itemid < 1 || row.paramid < 1) refuse("an item or parameter id below 1");
    const std::pair<const char *, const std::string *> texts[] = {{"type", &row.type},
                                                                  {"condition", &row.condition}};
    for (const auto &[what, text] : texts)
        if (std::string problem = RowTextProblem(*text); !problem.empty())
            refuse(std::string("the ") + what + " " + problem);
    if (std::string problem = TypeProblem(row.type, types.Of(row.type).gbkBytes); !problem.empty())
        refuse(problem);
    const KnownText &condition = conditions.Of(row.condition);
    if (std::string problem = ConditionProblem(row.condition, condition.gbkBytes); !problem.empty())
        refuse(problem);
    if (std::string problem = LimitProblem(row.upper, "upper limit"); !problem.empty())
        refuse(problem);
    if (std::string problem = LimitProblem(row.lower, "lower limit"); !problem.empty())
        refuse(problem);
    return condition.id;
}

std::string RowsText(const std::vector<PackageRow> &rows) {
    std::string text;
    std::size_t size = 0;
    for (const PackageRow &row : rows)
        size += row.type.size() + row.condition.size() + row.upper.size() + row.lower.size() + 28;
    text.reserve(size);
    for (const PackageRow &row : rows) {
        text += std::to_string(row.itemid);
        text += '\t';
        text += row.type;
        text += '\t';
        text += row.condition;
        text += '\t';
        text += std::to_string(row.paramid);
        text += '\t';
        text += row.upper;
        text += '\t';
        text += row.lower;
        text += '\n';
    }
    return text;
}

}  // namespace

std::string WriteStandardsPackage(const PackageHeader &header, const std::vector<PackageRow> &rows,
                                  PackageHeader *written) {
    CheckHeader(header);
    if (rows.empty()) Refuse("rows", "a package holds at least one row");
    ColumnTexts types, conditions;
    RowKeys keys(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::uint32_t condition = CheckRow(rows[i], types, conditions);
        if (const std::size_t earlier = keys.Add(rows[i].itemid, condition, rows[i].paramid, i);
            earlier != std::string::npos)
            Refuse("row " + std::to_string(i + 1),
                   "the same item, condition and parameter as row " + std::to_string(earlier + 1));
    }
    const std::string body = RowsText(rows);
    std::string text;
    text.reserve(body.size() + 512);
    text += std::string(kPackageMagic) + '\t' + std::to_string(kPackageFormat) + '\n';
    const std::string values[] = {header.name,
                                  header.version,
                                  header.effective,
                                  header.issuer,
                                  std::to_string(rows.size()),
                                  platform::HexOf(platform::Sha256Of(body))};
    for (std::size_t k = 0; k < kHeaderKeyCount; ++k)
        text += std::string(kHeaderKeys[k]) + '\t' + values[k] + '\n';
    text += kColumnLine;
    text += '\n';
    text += body;
    if (written != nullptr) {
        *written = header;
        written->rows = rows.size();
        written->sha256 = values[5];
    }
    return text;
}

}  // namespace stdhost
