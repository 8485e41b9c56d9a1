#pragma once

#include <memory>

// A unique_ptr deleter for an object a C library frees with its own function.
template <typename T, void (*Free)(T*)> struct LibraryFree {
    void operator()(T* p) const {
        if (p)
            Free(p);
    }
};

template <typename T, void (*Free)(T*)> using LibraryPtr = std::unique_ptr<T, LibraryFree<T, Free>>;
