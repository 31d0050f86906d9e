// Scope guard for loaders: releases what was registered when it goes out of
// scope, however the function leaves. Plain objects are deleted first (in
// the order added), then arrays, then stdio files are closed. Every add
// ignores a null pointer and returns the cleaner for chaining. Each pointer
// is released through its own type, never through void*.
#pragma once

#include <cstdio>
#include <functional>
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

    template <typename T>
    StackCleaner& addPointer(T* p) {
        if (p) objects.push_back([p] { delete p; });
        return *this;
    }

    template <typename T>
    StackCleaner& addArray(T* p) {
        if (p) arrays.push_back([p] { delete[] p; });
        return *this;
    }

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
