#pragma once
// Test helper: passes when a call throws exactly the exception type E with
// the given message, and says what happened otherwise.

#include <gtest/gtest.h>

#include <exception>
#include <string>

template <class E, class F>
testing::AssertionResult throws_with(const std::string& message, F&& call) {
    try {
        call();
    } catch (const E& e) {
        if (message == e.what()) return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << "threw \"" << e.what() << "\", expected \"" << message << "\"";
    } catch (const std::exception& e) {
        return testing::AssertionFailure()
               << "threw another type with \"" << e.what() << "\", expected \"" << message << "\"";
    }
    return testing::AssertionFailure() << "did not throw, expected \"" << message << "\"";
}
