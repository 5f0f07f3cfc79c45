// ZlibBlockList: an intrusive list of the blocks zlib holds.
#include "archive/zlib_blocks.h"

#include <cstdint>
#include <cstdlib>

namespace oru {

void ZlibBlockList::attach(z_stream& stream) {
    stream.zalloc = &ZlibBlockList::allocate;
    stream.zfree = &ZlibBlockList::release;
    stream.opaque = this;
}

voidpf ZlibBlockList::allocate(voidpf opaque, uInt items, uInt size) {
    auto* list = static_cast<ZlibBlockList*>(opaque);
    if (size != 0 && items > (SIZE_MAX - sizeof(Header)) / size) return Z_NULL;
    size_t bytes = sizeof(Header) + static_cast<size_t>(items) * size;
    auto* header = static_cast<Header*>(std::malloc(bytes));
    if (!header) return Z_NULL;
    header->previous = nullptr;
    header->next = list->head_;
    if (list->head_) list->head_->previous = header;
    list->head_ = header;
    return header + 1;
}

void ZlibBlockList::release(voidpf opaque, voidpf block) {
    if (!block) return;
    auto* list = static_cast<ZlibBlockList*>(opaque);
    Header* header = static_cast<Header*>(block) - 1;
    if (header->previous)
        header->previous->next = header->next;
    else
        list->head_ = header->next;
    if (header->next) header->next->previous = header->previous;
    std::free(header);
}

void ZlibBlockList::releaseAll() {
    while (head_) {
        Header* next = head_->next;
        std::free(head_);
        head_ = next;
    }
}

}  // namespace oru
