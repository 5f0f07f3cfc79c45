// EmbeddedArchive: opening the tree, lookups in search order, contained extraction.
#include "archive/embedded_archive.h"

#include <cstring>
#include <new>

#include "archive/entry_extraction.h"
#include "archive/multi_release.h"

namespace oru {

namespace {

// The largest array the Java side can hold.
constexpr uint32_t kMaxEntrySize = 0x7FFFFFFF;

NarrowString composeName(const NarrowString& prefix, const NarrowString& name) {
    return prefix.empty() ? name : prefix + "!" + name;
}

std::atomic<int> runtimeRelease{0};
// Known versions are bits 0..62 (releases 9 to 71); bit 63 says they have been read.
constexpr uint64_t kVersionsRead = 1ull << 63;

// The text after the first "!" of `utf8` when the query was restricted to a nested
// archive (kept in `storage`); `utf8` itself otherwise.
const NarrowString* utf8Remainder(const NarrowString* utf8, bool restricted,
                                  NarrowString& storage) {
    if (!utf8 || !restricted) return utf8;
    const void* bang = std::memchr(utf8->c_str(), '!', static_cast<size_t>(utf8->length()));
    storage = bang ? utf8->mid(static_cast<int>(static_cast<const char*>(bang) - utf8->c_str()) + 1)
                   : *utf8;
    return &storage;
}

}  // namespace

EmbeddedArchive::EmbeddedArchive(int depth, uint64_t treeBytes)
    : depth_(depth), budget_(&ownBudget_) {
    ownBudget_.bytesLeft = treeBytes;
}

EmbeddedArchive::EmbeddedArchive(int depth, TreeBudget* budget)
    : nested_(true), depth_(depth), budget_(budget) {}

void EmbeddedArchive::setRuntimeRelease(int release) { runtimeRelease.store(release); }

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
            reader_.open(*source, CZipReader::Mode::kReadOnly);
        } else {
            reader_.open(path, CZipReader::Mode::kReadOnly, 0);
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

int EmbeddedArchive::findName(const NarrowString& query, const NarrowString* utf8) const {
    int index = lookup_.find(query.c_str(), query.length());
    if (!utf8) return index;
    const auto isUtf8 = [this](int i) {
        return (reader_.entry(static_cast<uint16_t>(i)).flags & CZipEntry::kUtf8Name) != 0;
    };
    if (index >= 0 && !isUtf8(index)) return index;
    index = lookup_.find(utf8->c_str(), utf8->length());
    return index >= 0 && isUtf8(index) ? index : -1;
}

uint64_t EmbeddedArchive::releaseVersions() {
    uint64_t versions = versions_.load(std::memory_order_acquire);
    if (versions & kVersionsRead) return versions;
    versions = kVersionsRead;
    const int release = runtimeRelease.load();
    const int manifest = release >= 9 ? lookup_.find("META-INF\\MANIFEST.MF", 20) : -1;
    TextSink sink;
    if (manifest >= 0 && readOwnEntry(sink, manifest) == ReadOutcome::kDelivered)
        versions |= multiReleaseVersions(reader_, sink.text, release);
    versions_.store(versions, std::memory_order_release);
    return versions;
}

int EmbeddedArchive::findOwn(const NarrowString& query, const NarrowString* utf8) {
    const uint64_t versions = nested_ ? releaseVersions() & ~kVersionsRead : 0;
    if (versions && !EntryLookup::sameChars(query.c_str(), "META-INF\\", 9)) {
        for (int bit = 62; bit >= 0; --bit) {
            if (!(versions >> bit & 1)) continue;
            const NarrowString folder = versionFolder(9 + bit);
            const NarrowString versionedUtf8 = utf8 ? folder + *utf8 : NarrowString();
            const int index = findName(folder + query, utf8 ? &versionedUtf8 : nullptr);
            if (index >= 0) return index;
        }
    }
    return findName(query, utf8);
}

int EmbeddedArchive::locate(const NarrowString& query, NarrowString& found,
                            const NarrowString& prefix, Visitor visitor, void* context,
                            const NarrowString* utf8) {
    if (!hasDirectory()) return 0;
    const int bang = findSeparator(query);
    const int index = bang < 0 ? findOwn(query, utf8) : -1;
    if (index >= 0) {
        // A damaged node has no nested archives either: nothing below can match.
        if (!check_.passed()) return 0;
        // The name as it matched: a UTF-8 name in UTF-8.
        const bool asUtf8 = utf8 && (reader_.entry(static_cast<uint16_t>(index)).flags &
                                     CZipEntry::kUtf8Name);
        found = composeName(prefix, asUtf8 ? *utf8 : query);
        if (!visitor) return 1;
        visitor(context, found);
    }
    // "!" at position 0 restricts to no archive and keeps the "!", which no entry matches.
    const NarrowString restriction = bang > 0 ? query.left(bang) : NarrowString();
    const NarrowString remainder = bang > 0 ? query.mid(bang + 1) : query;
    NarrowString storage;
    const NarrowString* childUtf8 = utf8Remainder(utf8, bang > 0, storage);
    for (int k = 0; k < nestedNames_.count(); ++k) {
        if (!nestedMatches(k, restriction)) continue;
        const NarrowString childPrefix = composeName(prefix, NarrowString(nestedNames_.at(k)));
        if (children_[static_cast<size_t>(k)]->locate(remainder, found, childPrefix, visitor,
                                                      context, childUtf8) == 1)
            return 1;
    }
    return 0;
}

bool EmbeddedArchive::readEntry(EntrySink& sink, const NarrowString& query,
                                const NarrowString* utf8) {
    int index = -1;
    EmbeddedArchive* node = firstMatch(query, utf8, index);
    // The first match decides, readable or not, so that readEntry and locate always
    // agree on which entry a name means.
    return node && node->readOwnEntry(sink, index) == ReadOutcome::kDelivered;
}

bool EmbeddedArchive::entryInfo(const NarrowString& query, const NarrowString* utf8,
                                uint32_t& size, uint32_t& dosTime) {
    int index = -1;
    EmbeddedArchive* node = firstMatch(query, utf8, index);
    if (!node) return false;
    const CZipEntry& entry = node->reader_.entry(static_cast<uint16_t>(index));
    size = entry.uncompressedSize;
    dosTime = entry.dosTime;
    return true;
}

EmbeddedArchive* EmbeddedArchive::firstMatch(const NarrowString& query,
                                             const NarrowString* utf8, int& index) {
    if (!hasDirectory()) return nullptr;
    const int bang = findSeparator(query);
    if (bang < 0) {
        index = findOwn(query, utf8);
        // A damaged node's match is missing, not skipped.
        if (index >= 0) return check_.passed() ? this : nullptr;
    }
    const NarrowString restriction = bang > 0 ? query.left(bang) : NarrowString();
    const NarrowString remainder = bang > 0 ? query.mid(bang + 1) : query;
    NarrowString storage;
    const NarrowString* childUtf8 = utf8Remainder(utf8, bang > 0, storage);
    for (int k = 0; k < nestedNames_.count(); ++k) {
        if (!nestedMatches(k, restriction)) continue;
        if (EmbeddedArchive* node =
                children_[static_cast<size_t>(k)]->firstMatch(remainder, childUtf8, index))
            return node;
    }
    return nullptr;
}

EmbeddedArchive::ReadOutcome EmbeddedArchive::readOwnEntry(EntrySink& sink, int index) {
    const uint16_t entryIndex = static_cast<uint16_t>(index);
    const uint32_t size = reader_.entry(entryIndex).uncompressedSize;
    // Refuse lying sizes before the sink allocates anything for them.
    if (size > kMaxEntrySize || !reader_.entrySizesPlausible(entryIndex))
        return ReadOutcome::kUnreadable;
    unsigned char* bytes = nullptr;
    if (!sink.begin(size, bytes)) return ReadOutcome::kUnreadable;
    bool complete;
    {
        platform::LockGuard guard(lock_);
        complete = extractEntry(reader_, entryIndex, bytes, size);
    }
    sink.end(complete);
    return complete ? ReadOutcome::kDelivered : ReadOutcome::kUnreadable;
}

}  // namespace oru
