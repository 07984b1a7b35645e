#include "foundation/P.h"

#include <gtest/gtest.h>

namespace {

// A base without a virtual destructor, as the handle's users have.
struct Base {
    int value = 1;
};

struct Derived : Base {
    explicit Derived(int& deaths) : deaths_(deaths) {}
    ~Derived() { ++deaths_; }
    int& deaths_;
};

TEST(P, EmptyHandleTestsFalse) {
    usr::P<Base> p;
    EXPECT_FALSE(p);
}

TEST(P, DestroysAsTheCreatedTypeWhenTheLastHandleGoes) {
    int deaths = 0;
    {
        usr::P<Derived> derived(new Derived(deaths));
        usr::P<Base> base;
        base = derived;
        usr::P<Base> copy(base);
        EXPECT_EQ(derived.impl().get(), copy.impl().get());
        EXPECT_EQ(3, copy.impl().use_count());
        EXPECT_EQ(1, copy->value);
        EXPECT_EQ(1, (*base).value);
        derived = usr::P<Derived>();
        EXPECT_EQ(0, deaths);
    }
    EXPECT_EQ(1, deaths);
}

}  // namespace
