// EmbeddedArchive: the archive store, one node per archive, nested archives as children.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/deferred_check.h"
#include "archive/entry_lookup.h"
#include "archive/entry_sink.h"
#include "archive/entry_stream.h"
#include "archive/manifest.h"
#include "archive/source_holder.h"
#include "archive/zip_reader.h"
#include "archive/zip_source.h"
#include "platform/files.h"
#include "platform/lock.h"
#include "support/narrow_string.h"
#include "support/string_list.h"

namespace oru {

// A node opens once; its nested ".jar"/".zip" entries then become child nodes (as deep
// as the node's depth allows) and the tree keeps its shape afterwards. A nested archive
// is extracted into memory, except a stored one under a node opened from a file: that
// one is read where it lies in the file, and when it holds no nested archive of its own
// its directory is read only when a lookup first reaches it (charged to the tree at
// open all the same, so the caps are spent in archive order). Once a node has its
// directory, lookups in it take no lock. Queries name entries with "/"
// or "\" as separator; "a.jar!x/y" names entry x/y of the nested archive a.jar only. A
// damaged or hostile archive never throws out of a node: what cannot be read is simply
// not found.
class EmbeddedArchive {
public:
    // Called by locate for each match with the visitor's context and the composed name;
    // its result is ignored.
    using Visitor = int (*)(void* context, const NarrowString& found);

    // Caps on what one tree under a root may claim in memory: the bytes of its extracted
    // nested archives and the directories of all its archives count against
    // kMaxTreeBytes; a nested archive read where it lies counts only as a node, whatever
    // its size (kMaxNestedBytes caps one that is extracted).
    // A 32-bit process keeps room for the virtual machine beside a smaller tree.
    static constexpr uint32_t kMaxNestedBytes = 256u << 20;
    static constexpr uint64_t kMaxTreeBytes = (sizeof(void*) == 4 ? 256ull : 512ull) << 20;
    static constexpr uint32_t kMaxTreeNodes = 16384;

    // `depth` is how many levels of nested archives the node opens (the root has 2);
    // `treeBytes` is the memory the tree under this root may claim.
    explicit EmbeddedArchive(int depth, uint64_t treeBytes = kMaxTreeBytes);
    EmbeddedArchive(const EmbeddedArchive&) = delete;
    EmbeddedArchive& operator=(const EmbeddedArchive&) = delete;
    ~EmbeddedArchive();

    // Opens the archive at the end of the file at `path` and builds the tree. A file
    // that is not an archive leaves the node empty. Only the first open of a node acts.
    void open(const char* path);
    // Takes ownership of `length` bytes at `bytes` and opens them as an archive; as open.
    void openBuffer(std::unique_ptr<unsigned char[]> bytes, uint32_t length);

    // How locate composes the names it finds: as the archives store them (which reads
    // them back), or in UTF-8 (the names a Java URL shows).
    enum class NameForm { kStored, kUtf8 };

    // Every lookup below takes `query` as bytes to match with every entry's name. With
    // `utf8` (the same name in UTF-8, when that differs), entries whose names the
    // archive marks as UTF-8 match `utf8` instead; the others match `query`, or, when
    // none does, `utf8`, as the JDK reads every name as UTF-8. A nested archive's name
    // before a "!" matches either form.
    //
    // Finds `query`. Without a visitor: 1 at the first match in search order (this
    // node's entries, then each nested archive, shortest name first, depth first), with
    // `found` set to its composed name ("libs\a.jar!com/x/Y.class") in `form`; 0 when
    // nothing matches, `found` unchanged. With a visitor: reports every match in that
    // order and returns 0. `prefix` is the composed name of this node (empty from
    // outside).
    int locate(const NarrowString& query, NarrowString& found, const NarrowString& prefix,
               Visitor visitor, void* context, const NarrowString* utf8 = nullptr,
               NameForm form = NameForm::kStored);
    // Reads the first entry matching `query` (the one locate reports) into a result made
    // by `sink`. True when the sink holds the entry's complete content; false when no
    // entry matches, when that first match cannot be read (it counts as missing: later
    // copies are not tried) or when the sink could not make a result.
    bool readEntry(EntrySink& sink, const NarrowString& query, const NarrowString* utf8 = nullptr);
    // Starts `stream` on the entry readEntry would read, its local header checked, the
    // stream reading the node's source where the entry lies (the tree outlives it).
    // False when no entry matches or that first match cannot be read.
    bool openStream(EntryStream& stream, const NarrowString& query,
                    const NarrowString* utf8 = nullptr);
    // The uncompressed size and MS-DOS modification time of the entry readEntry would
    // read, without reading it; false when no entry matches.
    bool entryInfo(const NarrowString& query, const NarrowString* utf8, uint32_t& size,
                   uint32_t& dosTime);

    // The manifest of the nested jar that holds the entry `composedName` (a name as locate
    // reports it: "libs\a.jar!x/Y.class"), read and parsed when first asked for and kept
    // with the jar, its memory charged to the tree. Null when no such entry is found, when
    // it lies in this node's own archive, or when its jar has no manifest that can be
    // read (one of more than JarManifest::kLargestText bytes included). Owned by the
    // store; valid() tells whether java would read it.
    const JarManifest* manifestOf(const NarrowString& composedName);
    // The manifest of this node's own archive (the executable's, for the root), read and
    // kept as manifestOf keeps a nested jar's; null without one.
    const JarManifest* ownManifest();
    // The manifest of the nested jar named `name` ("t.jar"), read without the
    // whole-archive check of a jar read in place: for what the launch reads before the
    // virtual machine starts, which need not wait for a check of every byte of the
    // application jar. A jar that fails the check, made when its first class is asked
    // for, serves nothing, so a launch that read its manifest ends there.
    const JarManifest* nestedManifestUnchecked(const char* name);
    // Starts the whole-archive check of the nested jar named `name`, when it is read in
    // place, on a thread of its own, so that it runs beside other work; the first query
    // that reaches the jar waits for the rest of it (or makes it, when no thread could
    // start). The node must never be destroyed.
    void checkNestedAside(const char* name);

    // The Java release (9 and up) whose versioned entries nested multi-release jars
    // serve in place of their plain ones; below 9, none. Set before the first lookup.
    static void setRuntimeRelease(int release);

    // Negative when a node searches the nested archive named `a` before the one named
    // `b` (its index order: shorter names first), positive when after. oru-pack tells
    // by it which copy of a duplicated entry an application gets.
    static int compareNestedNames(const char* a, int aLength, const char* b, int bLength) {
        return EntryLookup::compare(a, aLength, b, bLength, kNestedLengthFirst);
    }

    // Records in this node's archive (0 when it did not open); for diagnostics and tests.
    // A directory not read yet counts as empty.
    int entryCount() const { return ready() ? reader_.entryCount() : 0; }
    int nestedCount() const { return nestedNames_.count(); }

private:
    // What the nested archives of one tree have used of the caps above.
    struct TreeBudget {
        uint64_t bytesLeft = kMaxTreeBytes;
        uint32_t nodesLeft = kMaxTreeNodes;
    };
    // A node's index, and so the order of its nested archives, sorts length first.
    static constexpr bool kNestedLengthFirst = true;
    enum class ReadOutcome { kDelivered, kUnreadable };
    // Whether the node has a directory to search: none (it did not open), one that
    // waits for the first lookup, or one read and indexed.
    enum DirectoryState : uint8_t { kNoDirectory, kDeferred, kReady };

    EmbeddedArchive(int depth, TreeBudget* budget);
    // Opens the reader on source_ (the archive's whole directory, or with
    // `endRecordOnly` only its end record: the records then wait for the first lookup, in
    // hasDirectory), charging its directory to the tree; false, with the node left
    // empty, when it does not open.
    bool openReader(bool endRecordOnly = false);
    void buildIndex();
    // True when the node has its directory, reading a deferred one first (once, under
    // lock_; other threads wait for the outcome).
    bool hasDirectory();
    // The records an end-record-only open left, read and indexed; false when they fail.
    bool loadRecords();
    bool indexRecords();
    bool ready() const { return directory_.load(std::memory_order_acquire) == kReady; }
    void openChildren();
    // `scratch` is a buffer for the directories scanned while the children open.
    std::unique_ptr<EmbeddedArchive> openNested(uint32_t index,
                                                std::vector<unsigned char>& scratch);
    // The child that reads stored entry `index` where it lies in the file this node's
    // archive is `stretch` of; checked on first use. Null when the entry's bytes cannot
    // be found.
    std::unique_ptr<EmbeddedArchive> inPlaceChild(uint32_t index, uint32_t size,
                                                  const CZipFileSliceSource& stretch,
                                                  std::vector<unsigned char>& scratch);
    // Opens this child over the `length` bytes at `offset` of `file` that entry `index`
    // of `holder` stores; that entry's first check (under `holderLock`) must pass
    // before the child answers.
    void openInPlace(const platform::ReadOnlyFile& file, uint32_t offset, uint32_t length,
                     CZipReader& holder, platform::Lock& holderLock, uint32_t index,
                     std::vector<unsigned char>& scratch);
    // Where locate wants its matches: their composed names in `found`, and, with a
    // visitor, each of them reported.
    struct Naming {
        NarrowString& found;
        Visitor visitor;
        void* context;
        NameForm form;
    };
    // The one search behind every lookup: the first match of `query` (`utf8` for UTF-8
    // names) in search order, with `index` set to its record index; null when none.
    // With `naming`, the match's composed name (`prefix` is this node's) goes to
    // naming->found, and with a visitor every match is reported in turn, none returned.
    EmbeddedArchive* walk(const NarrowString& query, const NarrowString* utf8, int& index,
                          const NarrowString* prefix, Naming* naming);
    EmbeddedArchive* firstMatch(const NarrowString& query, const NarrowString* utf8, int& index) {
        return walk(query, utf8, index, nullptr, nullptr);
    }
    // The index of this node's own entry named `query` (`utf8` for UTF-8 names), the
    // versioned one first in a multi-release jar; -1 when none.
    int findOwn(const NarrowString& query, const NarrowString* utf8, bool& byUtf8);
    // As findOwn, without versions; `byUtf8` says whether the entry matched `utf8`.
    int findName(const NarrowString& query, const NarrowString* utf8, bool& byUtf8) const;
    // As findName, without the folder's other name.
    int findExactName(const NarrowString& query, const NarrowString* utf8, bool& byUtf8) const;
    bool isUtf8Name(int index) const {
        return (reader_.entry(static_cast<uint32_t>(index)).flags & CZipEntry::kUtf8Name) != 0;
    }
    // The versions this nested jar serves, bit n for release 9 + n; read on first use.
    uint64_t releaseVersions();
    ReadOutcome readOwnEntry(EntrySink& sink, int index);
    // This nested jar's manifest, parsed on first use (under one lock for the process:
    // parsing spends the tree's memory budget); null without one.
    const JarManifest* manifest();
    // The nested archive named `name` exactly, as walk would take it; null without one.
    EmbeddedArchive* nestedNamed(const char* name);
    // This node's manifest, whether or not the node has passed its check.
    const JarManifest* uncheckedManifest();
    // Reads and parses it into manifest_; false when there is none, or it cannot be read.
    bool readManifest();
    // Position of the first "!" in `query`, or -1.
    static int findSeparator(const NarrowString& query);
    // Whether nested archive k may hold a query restricted to the `length` bytes at
    // `restriction` (none: any), or to their UTF-8 form, when they have one, the
    // `utf8Length` bytes at `utf8Restriction`.
    bool nestedMatches(int k, const char* restriction, int length, const char* utf8Restriction,
                       int utf8Length) const;

    // What the archive is read from: the executable's file (the root opened from a
    // path), a stretch of it (a stored nested archive under such a root), or a buffer
    // of the node's own (an extracted nested archive, or bytes handed to openBuffer).
    SourceHolder source_;
    // Armed for an archive read in place: until it passes, the node answers nothing, as
    // one that failed to extract had no node.
    mutable DeferredCheck check_;
    StringList nestedNames_;
    std::vector<std::unique_ptr<EmbeddedArchive>> children_;
    bool nested_ = false;
    int depth_;
    CZipReader reader_;
    EntryLookup lookup_;
    platform::Lock lock_;
    std::atomic<uint8_t> directory_{kNoDirectory};
    bool attempted_ = false;
    std::atomic<uint64_t> versions_{0};
    enum ManifestState : uint8_t { kManifestUnread, kManifestRead, kNoManifest };
    JarManifest manifest_;
    std::atomic<uint8_t> manifestState_{kManifestUnread};
    TreeBudget ownBudget_;
    TreeBudget* budget_;
};

}  // namespace oru
