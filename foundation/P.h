#pragma once
// Shared-ownership handle for objects held by more than one owner
// (instruments, trading schedules). Adds nothing to shared_ptr's semantics:
// the object is destroyed as the type it was created with.

#include <boost/shared_ptr.hpp>

namespace usr {

template <class T>
class P {
public:
    P() = default;
    template <class U>
    explicit P(U* object) : impl_(object) {}
    template <class U>
    P(const P<U>& other) : impl_(other.impl()) {}
    template <class U>
    P& operator=(const P<U>& other) {
        impl_ = other.impl();
        return *this;
    }

    T* operator->() const { return impl_.get(); }
    T& operator*() const { return *impl_; }
    explicit operator bool() const { return static_cast<bool>(impl_); }
    const boost::shared_ptr<T>& impl() const { return impl_; }

private:
    boost::shared_ptr<T> impl_;
};

}  // namespace usr
