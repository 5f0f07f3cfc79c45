// SourceHolder: the one byte source an archive node reads, kept inside the node.
#pragma once

#include <memory>
#include <new>
#include <type_traits>

#include "archive/zip_source.h"

namespace oru {

// Holds at most one source of any of the kinds in zip_source.h, made in place (no
// allocation of its own) and destroyed with the holder, and the bytes a buffer source
// reads when they are the holder's to free.
class SourceHolder {
public:
    SourceHolder() = default;
    SourceHolder(const SourceHolder&) = delete;
    SourceHolder& operator=(const SourceHolder&) = delete;
    ~SourceHolder() {
        if (source_) source_->~CZipSource();
    }

    // Makes a source of kind T in place of the one held, if any, and returns it.
    template <typename T>
    T& make() {
        static_assert(sizeof(T) <= sizeof(storage_) && alignof(T) <= alignof(CZipFileSource),
                      "every source kind fits the holder");
        if (source_) source_->~CZipSource();
        T* made = new (storage_) T;
        source_ = made;
        if constexpr (std::is_base_of<CZipFileSliceSource, T>::value)
            stretch_ = made;
        else
            stretch_ = nullptr;
        return *made;
    }
    // Makes a memory source over `length` bytes at `bytes`, which the holder then owns.
    CZipMemorySource& makeBuffer(std::unique_ptr<unsigned char[]> bytes, uint32_t length) {
        CZipMemorySource& buffer = make<CZipMemorySource>();
        bytes_ = std::move(bytes);
        buffer.attach(bytes_.get(), length);
        return buffer;
    }
    // The source held when it reads a stretch of a file (the whole of a file of its own
    // included), so that parts of it can be read where they lie; null otherwise.
    const CZipFileSliceSource* fileStretch() const { return stretch_; }
    // The source held; make it first.
    CZipSource* operator->() const { return source_; }
    CZipSource& operator*() const { return *source_; }

private:
    alignas(CZipFileSource) unsigned char storage_[sizeof(CZipFileSource)];
    CZipSource* source_ = nullptr;
    const CZipFileSliceSource* stretch_ = nullptr;
    std::unique_ptr<unsigned char[]> bytes_;
};

}  // namespace oru
