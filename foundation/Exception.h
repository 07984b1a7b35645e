#pragma once
// Root of the system's exception family: a trace of (tag, message) entries,
// oldest first, so each layer can add context to a failure on its way up.

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace usr {

class Exception : public std::exception {
public:
    using Entry = std::pair<std::string, std::string>;

    Exception();
    explicit Exception(const std::string& message);
    /// The cause's whole trace, then (tag, message).
    Exception(const std::string& tag, const std::string& message, const Exception& cause);
    /// A foreign exception enters the family as one entry (tag, cause.what()).
    Exception(const std::string& tag, const std::exception& cause);
    Exception(const std::string& tag, const std::string& message,
              const std::string& cause_tag, const std::exception& cause);
    virtual ~Exception();

    /// The newest message; "" for an empty trace.
    const char* what() const noexcept override;
    /// The newest message whole, NUL bytes included; "" for an empty trace.
    const std::string& message() const noexcept;
    /// Every entry, newest first, as "tag:\tmessage" lines without a final newline.
    virtual std::string format_trace() const;
    /// Adds a newest entry under the current newest tag ("Exception" if none).
    virtual void append(std::string message);
    /// Puts the inner trace in front of this one; what() is unchanged.
    virtual void wrap(const Exception& inner);

private:
    std::vector<Entry> trace_;
};

}  // namespace usr
