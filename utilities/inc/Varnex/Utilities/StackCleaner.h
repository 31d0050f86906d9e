// Scope guard for loaders: releases what was registered when it goes out of
// scope, however the function leaves. Plain objects are deleted first (in
// the order added), then arrays, then stdio files are closed. Every add
// ignores a null pointer and returns the cleaner for chaining. Each pointer
// is released through its own type: registering a void* does not compile.
#pragma once

#include <cstdio>
#include <functional>
#include <type_traits>
#include <vector>

namespace Varnex {
namespace Utilities {

class StackCleaner {
public:
    StackCleaner() = default;
    StackCleaner(const StackCleaner&) = delete;
    StackCleaner& operator=(const StackCleaner&) = delete;

    ~StackCleaner() {
        for (auto& f : objects) f();
        for (auto& f : arrays) f();
        for (FILE* f : files) std::fclose(f);
    }

    template <typename T, typename = std::enable_if_t<!std::is_void_v<T>>>
    StackCleaner& addPointer(T* p) {
        static_assert(sizeof(T) > 0, "StackCleaner needs the complete type to delete through");
        if (p) objects.push_back([p] { delete p; });
        return *this;
    }

    template <typename T, typename = std::enable_if_t<!std::is_void_v<T>>>
    StackCleaner& addArray(T* p) {
        static_assert(sizeof(T) > 0, "StackCleaner needs the complete type to delete through");
        if (p) arrays.push_back([p] { delete[] p; });
        return *this;
    }

    // Deleting through void* skips the destructor and is undefined: a
    // pointer whose type was lost cannot be registered.
    StackCleaner& addPointer(const volatile void*) = delete;
    StackCleaner& addArray(const volatile void*) = delete;

    StackCleaner& addFile(FILE* f) {
        if (f) files.push_back(f);
        return *this;
    }

private:
    std::vector<std::function<void()>> objects;
    std::vector<std::function<void()>> arrays;
    std::vector<FILE*> files;
};

}  // namespace Utilities
}  // namespace Varnex
