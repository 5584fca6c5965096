// COM for this thread while a command runs; the documents and the module's objects are released
// before it ends.
#pragma once

#include <platform/platform.h>

namespace pthost {

class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }

private:
    bool initialized_;
};

}  // namespace pthost
