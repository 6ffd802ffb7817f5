// A standards package (ReadStandardsPackage) on the input, and on the input
// with its header's row count and digest made to agree with its rows (else
// nearly every mutation would stop at the digest). A package taken is
// written again (WriteStandardsPackage must take it) and that file reads
// back to the same rows; a refused one says where, under its own name.
#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "platform/sha256.h"
#include "standards_package.h"

namespace {

// `text` with the values of its "rows" and "sha256" header lines replaced by
// those of the bytes after its column line; `text` itself when it has not
// those lines.
std::string WithAgreeingHeader(const std::string &text) {
    const std::string columns = "\nitem\ttype\tcondition\tparam\tupper\tlower";
    const std::size_t rowsAt = text.find("\nrows\t"), digestAt = text.find("\nsha256\t");
    const std::size_t columnsAt = text.find(columns);
    if (rowsAt == std::string::npos || digestAt == std::string::npos ||
        columnsAt == std::string::npos || !(rowsAt < digestAt && digestAt < columnsAt))
        return text;
    const std::size_t bodyAt = text.find('\n', columnsAt + 1);
    if (bodyAt == std::string::npos) return text;
    const std::string body = text.substr(bodyAt + 1);
    std::size_t lines = 0;
    for (char c : body) lines += c == '\n';
    if (!body.empty() && body.back() != '\n') ++lines;
    const std::size_t rowsEnd = text.find('\n', rowsAt + 1);
    const std::size_t digestEnd = text.find('\n', digestAt + 1);
    const bool crlf = text[digestEnd - 1] == '\r';
    return text.substr(0, rowsAt) + "\nrows\t" + std::to_string(lines) +
           text.substr(rowsEnd, digestAt - rowsEnd) + "\nsha256\t" +
           platform::HexOf(platform::Sha256Of(body)) + (crlf ? "\r" : "") + text.substr(digestEnd);
}

void Check(const std::string &bytes) {
    stdhost::StandardsPackage package;
    std::string error;
    if (!stdhost::ReadStandardsPackage(bytes, "pkg", package, error)) {
        FUZZ_CHECK(error.rfind("pkg:", 0) == 0);
        FUZZ_CHECK(package.rows.empty());
        return;
    }
    FUZZ_CHECK(error.empty());
    FUZZ_CHECK(!package.rows.empty() && package.header.rows == package.rows.size());
    std::string again;
    try {
        again = stdhost::WriteStandardsPackage(package.header, package.rows);
    } catch (const std::invalid_argument &e) {
        std::fprintf(stderr, "the writer refuses a package the reader took: %s\n", e.what());
        FUZZ_CHECK(false);
    }
    stdhost::StandardsPackage reread;
    FUZZ_CHECK(stdhost::ReadStandardsPackage(again, "again", reread, error));
    FUZZ_CHECK(reread.rows == package.rows);
    reread.header.sha256 = package.header.sha256;  // the same when the bytes were LF-only
    FUZZ_CHECK(reread.header == package.header);
    FUZZ_CHECK(again.find('\r') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    Check(text);
    if (const std::string agreeing = WithAgreeingHeader(text); agreeing != text) Check(agreeing);
    return 0;
}
