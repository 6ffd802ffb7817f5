#pragma once
// A station database with a small line for the series editor's core: two
// devices with items and parameters, one device without items, a few brands
// and series. One fixture per backend.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "generator/catalogue.h"
#include "generator/messages.h"
#include "stationdb/stationdb.h"
#include "test_database.h"

namespace generator_test {

// Keeps every message and answers Confirm with `answer`.
class RecordingSink : public generator::MessageSink {
  public:
    void Show(const generator::Message &m) override { shown.push_back(m); }
    bool Confirm(const generator::Message &m) override {
        asked.push_back(m);
        return answer;
    }
    std::vector<generator::Message> shown;
    std::vector<generator::Message> asked;
    bool answer = true;
};

class SeriesDatabase : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override;

    // A connection of the editor's own (the host's, in a plug-in).
    stationdb::Connection *Connection() { return connection_.get(); }
    // "hvalue,lvalue" of every row under `condition` for (itemid, paramid),
    // in row order, "" when none.
    std::string Stored(const std::string &condition, int itemid, int paramid);
    long long RowCount(const std::string &where = "1 = 1",
                       const std::vector<std::string> &params = {});

    std::unique_ptr<testdb::TestDatabase> db_;
    std::unique_ptr<stationdb::Connection> connection_;
    generator::Catalogue catalogue_;
    RecordingSink messages_;
};

}  // namespace generator_test
