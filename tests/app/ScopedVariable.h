#pragma once
// An environment variable set or unset for the life of the object, then
// given back its value.

#include <cstdlib>
#include <optional>
#include <string>

class ScopedVariable {
public:
    /// Sets `name` to `value`, or unsets it when there is none.
    ScopedVariable(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) saved_ = old;
        put(value);
    }
    ~ScopedVariable() { put(saved_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void put(const std::optional<std::string>& value) const {
        value ? setenv(name_.c_str(), value->c_str(), 1) : unsetenv(name_.c_str());
    }

    std::string name_;
    std::optional<std::string> saved_;
};
