#include "files/CsvReader.h"

#include "foundation/QuorvaException.h"
#include "tests/calendar/ThrowsWith.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace quorva {
namespace {

class CsvReaderTest : public testing::Test {
protected:
    std::string write(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        return path_;
    }
    ~CsvReaderTest() override { std::remove(path_.c_str()); }

    std::string path_ = testing::TempDir() + "csv_reader_test.csv";
};

TEST_F(CsvReaderTest, ReadsQuotingLineEndsAndLinesOfEveryRow) {
    // A byte-order mark, CRLF and LF, a blank line, quoted commas, quotes and
    // a line break inside a cell: each row keeps the line it starts on.
    const CsvReader csv(write("\xEF\xBB\xBF" " Expiry ,Strike,Note\r\n"
                              "20mar09,100,\"a, b\"\r\n"
                              "\n"
                              "2009-06-19,95.5,\"say \"\"hi\"\"\"\n"
                              "20mar09,105,\"two\nlines\"\n"
                              "20mar09,110,\n"));
    EXPECT_EQ(csv.header(), (std::vector<std::string>{"Expiry", "Strike", "Note"}));
    EXPECT_EQ(csv.column("expiry"), 0u);
    EXPECT_EQ(csv.column(" NOTE"), 2u);
    EXPECT_EQ(csv.column("price"), CsvReader::npos);
    const std::vector<CsvReader::Row> expected = {
        {2, {"20mar09", "100", "a, b"}},
        {4, {"2009-06-19", "95.5", "say \"hi\""}},
        {5, {"20mar09", "105", "two\nlines"}},
        {7, {"20mar09", "110", ""}},
    };
    ASSERT_EQ(csv.rows().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(csv.rows()[i].line, expected[i].line) << "row " << i;
        EXPECT_EQ(csv.rows()[i].cells, expected[i].cells) << "row " << i;
    }
    EXPECT_TRUE(throws_with<QuorvaException>(path_ + ":5: Bad strike", [&] { csv.fail(csv.rows()[2], "Bad strike"); }));
}

TEST_F(CsvReaderTest, RefusesWhatIsNotATable) {
    const std::string dir = testing::TempDir();
    EXPECT_TRUE(throws_with<QuorvaException>("Cannot read file '" + dir + "': Is a directory",
                                             [&] { CsvReader{dir}; }));
    EXPECT_TRUE(throws_with<QuorvaException>("Cannot read file 'no/such.csv': No such file or directory",
                                             [&] { CsvReader{"no/such.csv"}; }));
    EXPECT_TRUE(throws_with<QuorvaException>(path_ + ":1: Expected column names", [&] { CsvReader{write("\n\n")}; }));
    EXPECT_TRUE(throws_with<QuorvaException>(path_ + ":3: Unmatched double quote",
                                             [&] { CsvReader{write("a,b\n1,2\n3,\"4\n")}; }));
    EXPECT_TRUE(throws_with<QuorvaException>(path_ + ":2: Unmatched double quote",
                                             [&] { CsvReader{write("a,b\n1,\"2\"x\n")}; }));
    // A row with no end is refused once it passes the limit, not read whole.
    EXPECT_TRUE(throws_with<QuorvaException>(path_ + ":2: Line too long", [&] {
        CsvReader{write("a\n" + std::string(CsvReader::MAX_ROW_BYTES + 2, 'x'))};
    }));
}

}  // namespace
}  // namespace quorva
