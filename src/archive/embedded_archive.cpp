// EmbeddedArchive: opening the tree, lookups in search order, contained extraction.
#include "archive/embedded_archive.h"

#include <cstring>
#include <new>

#include "archive/entry_extraction.h"
#include "archive/multi_release.h"
#include "platform/text_codec.h"
#include "platform/thread.h"
#include "support/wide_string.h"

namespace oru {

namespace {

// The largest array the Java side can hold.
constexpr uint32_t kMaxEntrySize = 0x7FFFFFFF;

NarrowString composeName(const NarrowString& prefix, const NarrowString& name) {
    return prefix.empty() ? name : prefix + "!" + name;
}

std::atomic<int> runtimeRelease{0};
// Held while a manifest is read and parsed, the one spending of a tree's budget after open.
platform::Lock& manifestLock = *new platform::Lock;
// Known versions are bits 0..62 (releases 9 to 71); bit 63 says they have been read.
constexpr uint64_t kVersionsRead = 1ull << 63;

// A stored name in UTF-8: as it is when it is UTF-8, else read in the code page. Either
// reads back through a lookup's UTF-8 form.
NarrowString utf8Name(const char* stored) {
    NarrowString name(stored);
    WideString wide;
    if (platform::utf8ToUtf16(name.c_str(), name.length(), wide)) return name;
    platform::narrowToWide(name.c_str(), name.length(), wide);
    name.clear();
    platform::appendUtf8(name, wide.c_str(), wide.length());
    return name;
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
}

void EmbeddedArchive::open(const char* path) {
    if (attempted_) return;
    attempted_ = true;
    // Every read of the file names its offset, so the stored nested archives share the
    // handle with this node's reader without disturbing it.
    if (source_.make<CZipFileSource>().open(path) && openReader()) buildIndex();
}

void EmbeddedArchive::openBuffer(std::unique_ptr<unsigned char[]> bytes, uint32_t length) {
    // A second open would free bytes the reader still reads: a node opens only once.
    if (attempted_) return;
    attempted_ = true;
    source_.makeBuffer(std::move(bytes), length);
    if (openReader()) buildIndex();
}

bool EmbeddedArchive::openReader(bool endRecordOnly) {
    // Records cost memory as nested bytes do: a small archive of minimal records would
    // otherwise build directories many times its own size.
    reader_.setDirectoryAllowance(&budget_->bytesLeft, EntryLookup::kBytesPerEntry);
    bool opened = true;
    try {
        if (endRecordOnly)
            reader_.openEndRecord(*source_);
        else
            reader_.open(*source_, CZipReader::Mode::kReadOnly);
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
            openNested(static_cast<uint32_t>(lookup_.nestedEntryIndex(k)), scratch));
        nestedNames_.add(lookup_.nestedName(k));
    }
}

std::unique_ptr<EmbeddedArchive> EmbeddedArchive::openNested(uint32_t index,
                                                             std::vector<unsigned char>& scratch) {
    const uint32_t size = reader_.entry(index).uncompressedSize;
    TreeBudget& budget = *budget_;
    if (size == 0 || budget.nodesLeft == 0 || !reader_.entrySizesPlausible(index)) return nullptr;
    // A jar read where it lies costs no memory for its bytes, whatever its size.
    const CZipFileSliceSource* stretch =
        reader_.entry(index).method == 0 ? source_.fileStretch() : nullptr;
    if (stretch) return inPlaceChild(index, size, *stretch, scratch);
    if (size > kMaxNestedBytes || size > budget.bytesLeft) return nullptr;
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

std::unique_ptr<EmbeddedArchive> EmbeddedArchive::inPlaceChild(
    uint32_t index, uint32_t size, const CZipFileSliceSource& stretch,
    std::vector<unsigned char>& scratch) {
    // No memory holds the bytes, so only the node is charged (before the work, as above).
    budget_->nodesLeft -= 1;
    uint64_t position = 0;
    if (!findStoredBytes(reader_, index, position) || position > stretch.length() ||
        size > stretch.length() - position)
        return nullptr;
    std::unique_ptr<EmbeddedArchive> child(new (std::nothrow) EmbeddedArchive(depth_ - 1, budget_));
    if (child)
        child->openInPlace(*stretch.file(), stretch.offset() + static_cast<uint32_t>(position),
                           size, reader_, lock_, index, scratch);
    return child;
}

void EmbeddedArchive::openInPlace(const platform::ReadOnlyFile& file, uint32_t offset,
                                  uint32_t length, CZipReader& holder, platform::Lock& holderLock,
                                  uint32_t index, std::vector<unsigned char>& scratch) {
    attempted_ = true;
    check_.arm(holder, holderLock, index);
    source_.make<CZipFileSliceSource>().attach(&file, offset, length);
    if (!openReader(true)) return;
    // Nested archives inside it are opened now, in archive order, like every other; an
    // archive without any (most) waits for its first lookup. A directory that cannot be
    // walked is read now as well, and fails now.
    if (depth_ > 0 && reader_.countNames(&EntryLookup::isNestedName, scratch) != 0) {
        if (loadRecords()) buildIndex();
    } else {
        directory_.store(kDeferred, std::memory_order_release);
    }
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

bool EmbeddedArchive::nestedMatches(int k, const char* restriction, int length,
                                    const char* utf8Restriction, int utf8Length) const {
    if (!children_[static_cast<size_t>(k)]) return false;
    if (length <= 0) return true;
    const char* name = nestedNames_.at(k);
    const int n = static_cast<int>(std::strlen(name));
    return (n == length && EntryLookup::sameChars(name, restriction, n)) ||
           (utf8Restriction && n == utf8Length && EntryLookup::sameChars(name, utf8Restriction, n));
}

int EmbeddedArchive::findName(const NarrowString& query, const NarrowString* utf8,
                              bool& byUtf8) const {
    const int index = findExactName(query, utf8, byUtf8);
    const int length = query.length();
    if (index >= 0 || length == 0 || query.byteAt(length - 1) == '\\') return index;
    // A folder is found by its name without the trailing separator too, as the JDK's
    // ZipFile.getEntry finds "a/b/" for "a/b": scanners list a package that way.
    const NarrowString folderUtf8 = utf8 ? *utf8 + "\\" : NarrowString();
    return findExactName(query + "\\", utf8 ? &folderUtf8 : nullptr, byUtf8);
}

int EmbeddedArchive::findExactName(const NarrowString& query, const NarrowString* utf8,
                                   bool& byUtf8) const {
    byUtf8 = false;
    int index = lookup_.find(query.c_str(), query.length());
    if (!utf8 || (index >= 0 && !isUtf8Name(index))) return index;
    // A name marked as UTF-8, or one that the code page does not find: the JDK reads
    // every name as UTF-8, and tools such as Info-ZIP's zip write UTF-8 without the mark.
    index = lookup_.find(utf8->c_str(), utf8->length());
    byUtf8 = index >= 0;
    return index;
}

uint64_t EmbeddedArchive::releaseVersions() {
    uint64_t versions = versions_.load(std::memory_order_acquire);
    if (versions & kVersionsRead) return versions;
    const int release = runtimeRelease.load();
    const uint64_t folders = release >= 9 ? versionFolders(reader_, release) : 0;
    // Only a jar with versioned folders has its manifest read for this.
    versions = kVersionsRead | (folders && isMultiRelease(manifest()) ? folders : 0);
    versions_.store(versions, std::memory_order_release);
    return versions;
}

const JarManifest* EmbeddedArchive::manifest() { return nested_ ? ownManifest() : nullptr; }

// A damaged jar read in place answers nothing, its manifest included.
const JarManifest* EmbeddedArchive::ownManifest() {
    return check_.passed() ? uncheckedManifest() : nullptr;
}

EmbeddedArchive* EmbeddedArchive::nestedNamed(const char* name) {
    if (!hasDirectory()) return nullptr;
    const int length = static_cast<int>(std::strlen(name));
    for (int k = 0; k < nestedNames_.count(); ++k)
        if (nestedMatches(k, name, length, nullptr, 0))
            return children_[static_cast<size_t>(k)].get();
    return nullptr;
}

const JarManifest* EmbeddedArchive::nestedManifestUnchecked(const char* name) {
    EmbeddedArchive* nested = nestedNamed(name);
    return nested ? nested->uncheckedManifest() : nullptr;
}

void EmbeddedArchive::checkNestedAside(const char* name) {
    auto check = [](void* node) { static_cast<EmbeddedArchive*>(node)->check_.passed(); };
    if (EmbeddedArchive* nested = nestedNamed(name)) platform::startThread(check, nested);
}

const JarManifest* EmbeddedArchive::uncheckedManifest() {
    uint8_t state = manifestState_.load(std::memory_order_acquire);
    if (state == kManifestUnread) {
        if (!hasDirectory()) return nullptr;
        platform::LockGuard guard(manifestLock);
        state = manifestState_.load(std::memory_order_relaxed);
        if (state == kManifestUnread) {
            state = readManifest() ? kManifestRead : kNoManifest;
            manifestState_.store(state, std::memory_order_release);
        }
    }
    return state == kManifestRead ? &manifest_ : nullptr;
}

bool EmbeddedArchive::readManifest() {
    const int found = lookup_.find("META-INF\\MANIFEST.MF", 20);
    const auto index = static_cast<uint32_t>(found);
    if (found < 0 || reader_.entry(index).uncompressedSize > JarManifest::kLargestText ||
        !reader_.entrySizesPlausible(index))
        return false;
    // The text lives only while it is parsed, one at a time; what the parse keeps is
    // charged to the tree.
    const uint32_t size = reader_.entry(index).uncompressedSize;
    std::unique_ptr<char[]> text(new (std::nothrow) char[size + 1]);
    platform::LockGuard guard(lock_);
    if (!text || !extractEntry(reader_, index, reinterpret_cast<unsigned char*>(text.get()), size))
        return false;
    manifest_.read(text.get(), size, &budget_->bytesLeft);
    return true;
}

const JarManifest* EmbeddedArchive::manifestOf(const NarrowString& composedName) {
    int index = -1;
    EmbeddedArchive* node = firstMatch(composedName, nullptr, index);
    return node ? node->manifest() : nullptr;
}

int EmbeddedArchive::findOwn(const NarrowString& query, const NarrowString* utf8, bool& byUtf8) {
    const uint64_t versions = nested_ ? releaseVersions() & ~kVersionsRead : 0;
    if (versions && !EntryLookup::sameChars(query.c_str(), "META-INF\\", 9)) {
        for (int bit = 62; bit >= 0; --bit) {
            if (!(versions >> bit & 1)) continue;
            const NarrowString folder = versionFolder(9 + bit);
            const NarrowString versionedUtf8 = utf8 ? folder + *utf8 : NarrowString();
            const int index = findName(folder + query, utf8 ? &versionedUtf8 : nullptr, byUtf8);
            if (index >= 0) return index;
        }
    }
    return findName(query, utf8, byUtf8);
}

EmbeddedArchive* EmbeddedArchive::walk(const NarrowString& query, const NarrowString* utf8,
                                       int& index, const NarrowString* prefix, Naming* naming) {
    if (!hasDirectory()) return nullptr;
    const int bang = findSeparator(query);
    if (bang < 0) {
        bool byUtf8 = false;
        index = findOwn(query, utf8, byUtf8);
        if (index >= 0) {
            // A damaged node's match is missing, not skipped, and a damaged node has no
            // nested archives either: nothing below can match.
            if (!check_.passed()) return nullptr;
            if (!naming) return this;
            // As it matched (in UTF-8 when it matched there), or in UTF-8 for a URL: an
            // entry found in the code page is the Java name the query's UTF-8 form holds.
            const bool inUtf8 = utf8 && (byUtf8 || naming->form == NameForm::kUtf8);
            naming->found = composeName(*prefix, inUtf8 ? *utf8 : query);
            if (!naming->visitor) return this;
            naming->visitor(naming->context, naming->found);
        }
    }
    // "!" at position 0 restricts to no archive and keeps the "!", which no entry matches.
    const NarrowString remainder = bang > 0 ? query.mid(bang + 1) : query;
    const int utf8Bang = utf8 && bang > 0 ? findSeparator(*utf8) : -1;
    const NarrowString utf8Remainder = utf8Bang >= 0 ? utf8->mid(utf8Bang + 1) : NarrowString();
    const NarrowString* childUtf8 = utf8Bang >= 0 ? &utf8Remainder : utf8;
    NarrowString childPrefix;
    for (int k = 0; k < nestedNames_.count(); ++k) {
        if (!nestedMatches(k, query.c_str(), bang, utf8Bang >= 0 ? utf8->c_str() : nullptr,
                           utf8Bang))
            continue;
        // Names are composed only for locate: reads need the entry, not its name.
        if (naming)
            childPrefix = composeName(*prefix, naming->form == NameForm::kUtf8
                                                   ? utf8Name(nestedNames_.at(k))
                                                   : NarrowString(nestedNames_.at(k)));
        if (EmbeddedArchive* node = children_[static_cast<size_t>(k)]->walk(
                remainder, childUtf8, index, &childPrefix, naming))
            return node;
    }
    return nullptr;
}

int EmbeddedArchive::locate(const NarrowString& query, NarrowString& found,
                            const NarrowString& prefix, Visitor visitor, void* context,
                            const NarrowString* utf8, NameForm form) {
    Naming naming{found, visitor, context, form};
    int index = -1;
    return walk(query, utf8, index, &prefix, &naming) ? 1 : 0;
}

bool EmbeddedArchive::readEntry(EntrySink& sink, const NarrowString& query,
                                const NarrowString* utf8) {
    int index = -1;
    EmbeddedArchive* node = firstMatch(query, utf8, index);
    // The first match decides, readable or not, so that readEntry and locate always
    // agree on which entry a name means.
    return node && node->readOwnEntry(sink, index) == ReadOutcome::kDelivered;
}

bool EmbeddedArchive::openStream(EntryStream& stream, const NarrowString& query,
                                 const NarrowString* utf8) {
    int index = -1;
    EmbeddedArchive* node = firstMatch(query, utf8, index);
    if (!node) return false;
    const auto entryIndex = static_cast<uint32_t>(index);
    if (!node->reader_.entrySizesPlausible(entryIndex)) return false;
    uint64_t position = 0;
    {
        platform::LockGuard guard(node->lock_);
        if (!findEntryBytes(node->reader_, entryIndex, position)) return false;
    }
    return stream.start(*node->source_, position, node->reader_.entry(entryIndex));
}

bool EmbeddedArchive::entryInfo(const NarrowString& query, const NarrowString* utf8, uint32_t& size,
                                uint32_t& dosTime) {
    int index = -1;
    EmbeddedArchive* node = firstMatch(query, utf8, index);
    if (!node) return false;
    const CZipEntry& entry = node->reader_.entry(static_cast<uint32_t>(index));
    size = entry.uncompressedSize;
    dosTime = entry.dosTime;
    return true;
}

EmbeddedArchive::ReadOutcome EmbeddedArchive::readOwnEntry(EntrySink& sink, int index) {
    const auto entryIndex = static_cast<uint32_t>(index);
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
