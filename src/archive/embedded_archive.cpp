// EmbeddedArchive: opening the tree, lookups in search order, contained extraction.
#include "archive/embedded_archive.h"

#include <cstring>
#include <new>

#include "archive/entry_extraction.h"

namespace oru {

namespace {

// The largest array the Java side can hold.
constexpr uint32_t kMaxEntrySize = 0x7FFFFFFF;

NarrowString composeName(const NarrowString& prefix, const NarrowString& name) {
    return prefix.empty() ? name : prefix + "!" + name;
}

}  // namespace

EmbeddedArchive::EmbeddedArchive(int depth, uint64_t treeBytes)
    : depth_(depth), budget_(&ownBudget_) {
    ownBudget_.bytesLeft = treeBytes;
}

EmbeddedArchive::EmbeddedArchive(int depth, TreeBudget* budget)
    : depth_(depth), budget_(budget) {}

EmbeddedArchive::~EmbeddedArchive() {
    children_.clear();
    reader_.close();
    ownBytes_.reset();
}

void EmbeddedArchive::open(const char* path) {
    if (attempted_) return;
    attempted_ = true;
    if (!openReader(path, nullptr)) return;
    // A handle of the tree's own for the stored nested archives, which read at offsets
    // and so never disturb the reader's position; without one they are extracted.
    if (fileHandle_.open(path, platform::FileSharing::kReaders) && fileHandle_.size(fileLength_))
        file_ = &fileHandle_;
    buildIndex();
}

void EmbeddedArchive::openBuffer(std::unique_ptr<unsigned char[]> bytes, uint32_t length) {
    // A second open would free bytes the reader still reads: a node opens only once.
    if (attempted_) return;
    attempted_ = true;
    ownBytes_ = std::move(bytes);
    ownLength_ = ownBytes_ ? length : 0;
    memorySource_.attach(ownBytes_.get(), ownLength_);
    if (openReader(nullptr, &memorySource_)) buildIndex();
}

bool EmbeddedArchive::openReader(const char* path, CZipSource* source, bool endRecordOnly) {
    // Records cost memory as nested bytes do: a small archive of minimal records would
    // otherwise build directories many times its own size.
    reader_.setDirectoryAllowance(&budget_->bytesLeft, EntryLookup::kBytesPerEntry);
    bool opened = true;
    try {
        if (source && endRecordOnly) {
            reader_.openEndRecord(*source);
        } else if (source) {
            reader_.open(*source, CZipReader::Mode::readOnly);
        } else {
            reader_.open(path, CZipReader::Mode::readOnly, 0);
        }
    } catch (const CZipException&) {
        opened = false;
    } catch (const std::bad_alloc&) {
        opened = false;
    }
    reader_.setDirectoryAllowance(nullptr, 0);
    return opened;
}

bool EmbeddedArchive::loadRecords() {
    try {
        reader_.loadRecords();
    } catch (const CZipException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool EmbeddedArchive::indexRecords() {
    try {
        lookup_.build(&reader_, kNestedLengthFirst);
    } catch (const std::bad_alloc&) {
        return false;  // without an index the node stays empty
    }
    return true;
}

void EmbeddedArchive::buildIndex() {
    if (!indexRecords()) return;
    directory_.store(kReady, std::memory_order_release);
    if (depth_ <= 0) return;
    try {
        openChildren();
    } catch (const std::bad_alloc&) {
        // The node keeps its own entries; the nested archives stay closed.
        children_.clear();
        nestedNames_.clear();
    }
}

void EmbeddedArchive::openChildren() {
    const int n = lookup_.collectNested(NarrowString());
    // A damaged archive opens none of its nested archives, as one that failed to extract
    // never did: one read in place is checked now if it holds any.
    if (n > 0 && !check_.passed()) return;
    children_.reserve(static_cast<size_t>(n));
    std::vector<unsigned char> scratch;
    for (int k = 0; k < n; ++k) {
        children_.push_back(
            openNested(static_cast<uint16_t>(lookup_.nestedEntryIndex(k)), scratch));
        nestedNames_.add(lookup_.nestedName(k));
    }
}

std::unique_ptr<EmbeddedArchive> EmbeddedArchive::openNested(uint16_t index,
                                                             std::vector<unsigned char>& scratch) {
    const uint32_t size = reader_.entry(index).uncompressedSize;
    TreeBudget& budget = *budget_;
    if (size == 0 || size > kMaxNestedBytes || budget.nodesLeft == 0 ||
        !reader_.entrySizesPlausible(index))
        return nullptr;
    if (file_ && reader_.entry(index).method == 0) return openInPlace(index, size, scratch);
    if (size > budget.bytesLeft) return nullptr;
    // Charged before the work and kept when it fails: an extraction that fails at its
    // last byte has cost as much as one that succeeds.
    budget.bytesLeft -= size;
    budget.nodesLeft -= 1;
    std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[size]);
    if (!bytes) return nullptr;
    // No lock: the node is still being opened, and no lookup can reach it yet.
    if (!extractEntry(reader_, index, bytes.get(), size)) return nullptr;
    std::unique_ptr<EmbeddedArchive> child(new (std::nothrow) EmbeddedArchive(depth_ - 1, budget_));
    if (!child) return nullptr;
    child->openBuffer(std::move(bytes), size);
    return child;
}

std::unique_ptr<EmbeddedArchive> EmbeddedArchive::openInPlace(uint16_t index, uint32_t size,
                                                              std::vector<unsigned char>& scratch) {
    // No memory holds the bytes, so only the node is charged (before the work, as above).
    budget_->nodesLeft -= 1;
    uint64_t position = 0;
    if (!findStoredBytes(reader_, index, position) || position > fileLength_ ||
        size > fileLength_ - position)
        return nullptr;
    std::unique_ptr<EmbeddedArchive> child(new (std::nothrow) EmbeddedArchive(depth_ - 1, budget_));
    if (!child) return nullptr;
    child->attempted_ = true;
    child->check_.arm(reader_, lock_, index);
    child->file_ = file_;
    child->fileOffset_ = fileOffset_ + static_cast<uint32_t>(position);
    child->fileLength_ = size;
    child->sliceSource_.attach(file_, child->fileOffset_, size);
    if (!child->openReader(nullptr, &child->sliceSource_, true)) return child;
    // Nested archives inside it are opened now, in archive order, like every other; an
    // archive without any (most) waits for its first lookup. A directory that cannot be
    // walked is read now as well, and fails now.
    if (child->depth_ > 0 && child->reader_.countNames(&EntryLookup::isNestedName, scratch) != 0) {
        if (child->loadRecords()) child->buildIndex();
    } else {
        child->directory_.store(kDeferred, std::memory_order_release);
    }
    return child;
}

bool EmbeddedArchive::hasDirectory() {
    uint8_t state = directory_.load(std::memory_order_acquire);
    if (state == kDeferred) {
        platform::LockGuard guard(lock_);
        state = directory_.load(std::memory_order_relaxed);
        if (state == kDeferred) {
            state = loadRecords() && indexRecords() ? kReady : kNoDirectory;
            directory_.store(state, std::memory_order_release);
        }
    }
    return state == kReady;
}

int EmbeddedArchive::findSeparator(const NarrowString& query) {
    const void* bang = std::memchr(query.c_str(), '!', static_cast<size_t>(query.length()));
    return bang ? static_cast<int>(static_cast<const char*>(bang) - query.c_str()) : -1;
}

bool EmbeddedArchive::nestedMatches(int k, const NarrowString& restriction) const {
    if (!children_[static_cast<size_t>(k)]) return false;
    if (restriction.empty()) return true;
    const char* name = nestedNames_.at(k);
    return static_cast<int>(std::strlen(name)) == restriction.length() &&
           EntryLookup::sameChars(name, restriction.c_str(), restriction.length());
}

int EmbeddedArchive::locate(const NarrowString& query, NarrowString& found,
                            const NarrowString& prefix, Visitor visitor, void* context) {
    if (!hasDirectory()) return 0;
    const int bang = findSeparator(query);
    if (bang < 0 && lookup_.find(query.c_str(), query.length()) >= 0) {
        // A damaged node has no nested archives either: nothing below can match.
        if (!check_.passed()) return 0;
        found = composeName(prefix, query);
        if (!visitor) return 1;
        visitor(context, found);
    }
    // "!" at position 0 restricts to no archive and keeps the "!", which no entry matches.
    const NarrowString restriction = bang > 0 ? query.left(bang) : NarrowString();
    const NarrowString remainder = bang > 0 ? query.mid(bang + 1) : query;
    for (int k = 0; k < nestedNames_.count(); ++k) {
        if (!nestedMatches(k, restriction)) continue;
        const NarrowString childPrefix = composeName(prefix, NarrowString(nestedNames_.at(k)));
        if (children_[static_cast<size_t>(k)]->locate(remainder, found, childPrefix, visitor,
                                                      context) == 1)
            return 1;
    }
    return 0;
}

bool EmbeddedArchive::readEntry(EntrySink& sink, const NarrowString& query) {
    return readFrom(sink, query) == ReadOutcome::delivered;
}

EmbeddedArchive::ReadOutcome EmbeddedArchive::readFrom(EntrySink& sink,
                                                       const NarrowString& query) {
    if (!hasDirectory()) return ReadOutcome::notFound;
    const int bang = findSeparator(query);
    if (bang < 0) {
        const int index = lookup_.find(query.c_str(), query.length());
        // The first match decides, readable or not, so that readEntry and locate always
        // agree on which entry a name means; a damaged one is missing, not skipped.
        if (index >= 0)
            return check_.passed() ? readOwnEntry(sink, index) : ReadOutcome::notFound;
    }
    const NarrowString restriction = bang > 0 ? query.left(bang) : NarrowString();
    const NarrowString remainder = bang > 0 ? query.mid(bang + 1) : query;
    for (int k = 0; k < nestedNames_.count(); ++k) {
        if (!nestedMatches(k, restriction)) continue;
        ReadOutcome outcome = children_[static_cast<size_t>(k)]->readFrom(sink, remainder);
        if (outcome != ReadOutcome::notFound) return outcome;
    }
    return ReadOutcome::notFound;
}

EmbeddedArchive::ReadOutcome EmbeddedArchive::readOwnEntry(EntrySink& sink, int index) {
    const uint16_t entryIndex = static_cast<uint16_t>(index);
    const uint32_t size = reader_.entry(entryIndex).uncompressedSize;
    // Refuse lying sizes before the sink allocates anything for them.
    if (size > kMaxEntrySize || !reader_.entrySizesPlausible(entryIndex))
        return ReadOutcome::unreadable;
    unsigned char* bytes = nullptr;
    if (!sink.begin(size, bytes)) return ReadOutcome::unreadable;
    bool complete;
    {
        platform::LockGuard guard(lock_);
        complete = extractEntry(reader_, entryIndex, bytes, size);
    }
    sink.end(complete);
    return complete ? ReadOutcome::delivered : ReadOutcome::unreadable;
}

}  // namespace oru
