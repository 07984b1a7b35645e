#include "foundation/Exception.h"
#include "foundation/QuorvaException.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// A subclass as every library defines one: its own tag, one entry.
class TaggedException : public usr::Exception {
public:
    explicit TaggedException(const std::string& message)
        : usr::Exception("TaggedException", message, usr::Exception()) {}
};

TEST(Exception, EmptyTraceHasEmptyTexts) {
    usr::Exception e;
    EXPECT_STREQ("", e.what());
    EXPECT_EQ("", e.format_trace());
}

TEST(Exception, MessageAloneTakesTheBaseTag) {
    usr::Exception e("Expected value");
    EXPECT_STREQ("Expected value", e.what());
    EXPECT_EQ("Exception:\tExpected value", e.format_trace());
}

TEST(Exception, CauseComesFirstAndNewestIsPrintedFirst) {
    TaggedException inner("x");
    usr::Exception outer("Outer", "b", inner);
    EXPECT_STREQ("b", outer.what());
    EXPECT_EQ("Outer:\tb\nTaggedException:\tx", outer.format_trace());
    // The cause is copied, not shared.
    EXPECT_EQ("TaggedException:\tx", inner.format_trace());
}

TEST(Exception, ForeignExceptionsBecomeEntries) {
    std::runtime_error cause("disk full");
    usr::Exception one("Io", cause);
    EXPECT_EQ("Io:\tdisk full", one.format_trace());
    usr::Exception two("Save", "could not save", "Io", cause);
    EXPECT_EQ("Save:\tcould not save\nIo:\tdisk full", two.format_trace());
    EXPECT_STREQ("could not save", two.what());
}

TEST(Exception, AppendReusesTheNewestTag) {
    usr::Exception empty;
    empty.append("first");
    EXPECT_EQ("Exception:\tfirst", empty.format_trace());

    TaggedException tagged("low");
    tagged.append("while doing high");
    EXPECT_STREQ("while doing high", tagged.what());
    EXPECT_EQ("TaggedException:\twhile doing high\nTaggedException:\tlow", tagged.format_trace());
}

TEST(Exception, WrapPutsTheInnerTraceOldest) {
    usr::Exception inner("Inner", "b", TaggedException("a"));
    TaggedException outer("c");
    outer.wrap(inner);
    EXPECT_STREQ("c", outer.what());
    EXPECT_EQ("TaggedException:\tc\nInner:\tb\nTaggedException:\ta", outer.format_trace());
}

TEST(Exception, QuorvaExceptionIsOneTaggedEntry) {
    quorva::QuorvaException e("Expected value");
    EXPECT_STREQ("Expected value", e.what());
    EXPECT_EQ("QuorvaException:\tExpected value", e.format_trace());
}

TEST(Exception, CaughtAsStdException) {
    try {
        throw TaggedException("boom");
    } catch (const std::exception& e) {
        EXPECT_STREQ("boom", e.what());
    }
}

}  // namespace
