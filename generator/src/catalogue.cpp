#include "generator/catalogue.h"

#include <cstdio>
#include <utility>

#include "gbk_texts.h"
#include "platform/gbk.h"
#include "platform/trace.h"
#include "platform/value_text.h"
#include "statements.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

// A name as the catalogue keeps it: trailing blanks removed, then cut to the
// room of a 64-byte field without splitting a double-byte character.
std::string NameOf(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    text.resize(platform::GbkCutLength(text, kNameBytes - 1));
    return text;
}

// A brand or series name of the current row. One without a GBK form cannot
// be chosen (nor be a series the line forms): it is left out with a trace
// line, so that one bad row does not empty the list.
bool NameOfRow(stationdb::Statement &st, int column, std::string &name) {
    const std::string utf8 = st.Utf8(column);
    if (platform::Utf8ToGbk(utf8, name)) {
        name = NameOf(std::move(name));
        return true;
    }
    platform::TraceF(texts::kCatalogueNameSkipped, static_cast<long long>(st.RowNumber()),
                     utf8.c_str());
    return false;
}

bool IsOpen(const stationdb::Connection *connection) {
    return connection != nullptr && connection->IsOpen();
}

int LoadDevices(stationdb::Connection &connection, const GeneratorStatements &sql,
                Catalogue &catalogue) {
    stationdb::Statement st(connection, sql.devices, stationdb::Statement::Direct{});
    st.Execute();
    const int devid = st.Column("devid"), devname = st.Column("devname");
    bool any = false;
    while (st.Fetch()) {
        any = true;
        const int32_t id = platform::IntegerOf(st.View(devid));
        if (catalogue.devices.size() >= kMaxDevices) {
            platform::TraceF(texts::kCatalogueTooManyDevices, id);
            continue;
        }
        catalogue.devices.push_back({id, NameOf(st.Text(devname)), {}});
    }
    return any ? 1 : 0;
}

void LoadItems(stationdb::Connection &connection, const GeneratorStatements &sql,
               CatalogueDevice &device, MessageSink &messages) {
    stationdb::Statement st(connection, sql.deviceItems);
    st.BindInt(1, device.devid);
    st.Execute();
    const int itemid = st.Column("ItemId"), itemname = st.Column("ItemName");
    while (st.Fetch()) {
        const int32_t id = platform::IntegerOf(st.View(itemid));
        if (device.items.size() >= kMaxItemsPerDevice) {
            platform::TraceF(texts::kCatalogueTooManyItems, device.devid, id);
            continue;
        }
        device.items.push_back({id, NameOf(st.Text(itemname)), {}});
    }
    if (device.items.empty()) {
        char text[256];
        std::snprintf(text, sizeof text, texts::kDeviceHasNoItems, device.devname.c_str());
        messages.Show({text, texts::kCaptionPrompt, MessageIcon::kExclamation});
    }
}

// False when the item has no parameter rows at all.
bool LoadParams(stationdb::Statement &st, const CatalogueDevice &device, CatalogueItem &item) {
    st.BindInt(1, device.devid);
    st.BindInt(2, item.itemid);
    st.Execute();
    const int paramid = st.Column("ParamId"), paramname = st.Column("ParamName");
    bool any = false;
    while (st.Fetch()) {
        any = true;
        std::string name = NameOf(st.Text(paramname));
        if (name.empty()) continue;
        const int32_t id = platform::IntegerOf(st.View(paramid));
        if (item.params.size() >= kMaxParamsPerItem) {
            platform::TraceF(texts::kCatalogueTooManyParams, item.itemid, id);
            continue;
        }
        item.params.push_back({id, std::move(name), 0, 0});
    }
    st.CloseCursor();
    return any;
}

}  // namespace

std::size_t Catalogue::ParamCount() const {
    std::size_t n = 0;
    for (const auto &d : devices)
        for (const auto &i : d.items) n += i.params.size();
    return n;
}

CatalogueParam *Catalogue::Find(const ParamPosition &at) {
    return const_cast<CatalogueParam *>(std::as_const(*this).Find(at));
}

const CatalogueParam *Catalogue::Find(const ParamPosition &at) const {
    if (at.device < 0 || static_cast<std::size_t>(at.device) >= devices.size()) return nullptr;
    auto &items = devices[static_cast<std::size_t>(at.device)].items;
    if (at.item < 0 || static_cast<std::size_t>(at.item) >= items.size()) return nullptr;
    auto &params = items[static_cast<std::size_t>(at.item)].params;
    if (at.param < 0 || static_cast<std::size_t>(at.param) >= params.size()) return nullptr;
    return &params[static_cast<std::size_t>(at.param)];
}

CatalogueParam *Catalogue::FindParam(int32_t paramid) {
    for (auto &d : devices)
        for (auto &i : d.items)
            for (auto &p : i.params)
                if (p.paramid == paramid) return &p;
    return nullptr;
}

int LoadCatalogue(stationdb::Connection *connection, Catalogue &catalogue, MessageSink &messages) {
    catalogue.devices.clear();
    if (!IsOpen(connection)) return 0;
    const GeneratorStatements &sql = GeneratorStatementsFor(connection->GetDialect());
    if (LoadDevices(*connection, sql, catalogue) == 0) return 0;
    for (auto &device : catalogue.devices) LoadItems(*connection, sql, device, messages);
    stationdb::Statement params(*connection, sql.itemParams);
    for (auto &device : catalogue.devices)
        for (auto &item : device.items)
            if (!LoadParams(params, device, item)) return 0;
    return 1;
}

std::string BrandPattern(const std::string &prefix) {
    std::string pattern;
    for (char c : prefix) {
        if (c == '!' || c == '%' || c == '_') pattern += '!';
        pattern += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return pattern + '%';
}

BrandQuery QueryBrands(stationdb::Connection *connection, const std::string &prefix) {
    BrandQuery query;
    if (!IsOpen(connection)) return query;
    try {
        const GeneratorStatements &sql = GeneratorStatementsFor(connection->GetDialect());
        stationdb::Statement st(*connection, sql.brands, stationdb::Statement::Direct{});
        st.BindText(1, BrandPattern(prefix));
        st.Execute();
        const int cpmc = st.Column("CPMC");
        while (st.Fetch())
            if (std::string brand; NameOfRow(st, cpmc, brand)) query.brands.push_back(brand);
        query.result = 1;
    } catch (const stationdb::DatabaseError &e) {
        query.error = ErrorTextGbk(e);
        platform::TraceF("%s\n", query.error.c_str());
        query.brands.clear();
    }
    return query;
}

std::vector<std::string> QuerySeries(stationdb::Connection *connection, const std::string &brand,
                                     MessageSink &messages) {
    std::vector<std::string> series;
    try {
        if (!IsOpen(connection))
            throw stationdb::DatabaseError("08003", "the connection is not open");
        const GeneratorStatements &sql = GeneratorStatementsFor(connection->GetDialect());
        stationdb::Statement st(*connection, sql.series, stationdb::Statement::Direct{});
        st.BindText(1, brand);
        st.Execute();
        const int cxxl = st.Column("CXXL");
        while (st.Fetch())
            if (std::string name; NameOfRow(st, cxxl, name)) series.push_back(name);
    } catch (const stationdb::DatabaseError &e) {
        messages.Show({std::string(texts::kSeriesQueryFailed) + ErrorTextGbk(e) + "\r\n",
                       texts::kCaptionPrompt, MessageIcon::kExclamation});
        series.clear();
    }
    return series;
}

}  // namespace generator
