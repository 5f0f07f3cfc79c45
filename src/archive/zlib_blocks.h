// ZlibBlockList: the allocation hooks that let the reader account for zlib's memory.
#pragma once

#include <zlib.h>

#include <cstddef>

namespace oru {

// Every block zlib allocates through these hooks is linked into the list, so whatever
// an interrupted inflate leaves behind is freed by releaseAll.
class ZlibBlockList {
public:
    ZlibBlockList() = default;
    ZlibBlockList(const ZlibBlockList&) = delete;
    ZlibBlockList& operator=(const ZlibBlockList&) = delete;
    ~ZlibBlockList() { releaseAll(); }

    // Points `stream`'s zalloc/zfree/opaque at this list.
    void attach(z_stream& stream);
    void releaseAll();
    bool empty() const { return head_ == nullptr; }

private:
    struct alignas(std::max_align_t) Header {
        Header* previous;
        Header* next;
    };

    // zlib's hook signatures; they return null rather than throw, as C code expects.
    static voidpf allocate(voidpf opaque, uInt items, uInt size);
    static void release(voidpf opaque, voidpf block);

    Header* head_ = nullptr;
};

}  // namespace oru
