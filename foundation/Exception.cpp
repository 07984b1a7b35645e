#include "foundation/Exception.h"

namespace usr {

Exception::Exception() = default;

Exception::Exception(const std::string& message) : trace_{{"Exception", message}} {}

Exception::Exception(const std::string& tag, const std::string& message, const Exception& cause)
    : trace_(cause.trace_) {
    trace_.emplace_back(tag, message);
}

Exception::Exception(const std::string& tag, const std::exception& cause)
    : trace_{{tag, cause.what()}} {}

Exception::Exception(const std::string& tag, const std::string& message,
                     const std::string& cause_tag, const std::exception& cause)
    : trace_{{cause_tag, cause.what()}, {tag, message}} {}

Exception::~Exception() = default;

const char* Exception::what() const noexcept { return message().c_str(); }

const std::string& Exception::message() const noexcept {
    static const std::string none;
    return trace_.empty() ? none : trace_.back().second;
}

std::string Exception::format_trace() const {
    std::string text;
    for (auto it = trace_.rbegin(); it != trace_.rend(); ++it) {
        if (it != trace_.rbegin()) text += "\n";
        text += it->first + ":\t" + it->second;
    }
    return text;
}

void Exception::append(std::string message) {
    std::string tag = trace_.empty() ? "Exception" : trace_.back().first;
    trace_.emplace_back(std::move(tag), std::move(message));
}

void Exception::wrap(const Exception& inner) {
    trace_.insert(trace_.begin(), inner.trace_.begin(), inner.trace_.end());
}

}  // namespace usr
