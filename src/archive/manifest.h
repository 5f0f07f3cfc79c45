// JarManifest: a jar's META-INF/MANIFEST.MF read as java.util.jar.Manifest reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "support/narrow_string.h"

namespace oru {

// An attribute's value: its UTF-8 bytes (which may hold a NUL), kept by the manifest.
struct ManifestValue {
    const char* bytes = nullptr;
    uint32_t length = 0;

    // Whether it says "true" in any ASCII case, as Boolean.parseBoolean reads it.
    bool isTrue() const;
};

// The rules are java's: lines end with CR, LF or CRLF and hold at most 511 bytes (java's
// line buffer is 512 bytes, the end included); a last line without an end is dropped; a
// line starting with a space continues the one before; "Name: value" takes ": ", names are
// 1 to 70 of [A-Za-z0-9_-] and compare without ASCII case; the main section ends at the
// first empty line, and each later section starts with "Name: ". Anything else makes the
// manifest one that java refuses (IOException), as it refuses one of more than
// kLargestText bytes.
class JarManifest {
public:
    // JarFile refuses a larger manifest (its limit for signature-related files, of which
    // the manifest is one: jdk.jar.maxSignatureFileSize, 16,000,000 by default).
    static constexpr uint32_t kLargestText = 16000000;

    enum class Outcome : uint8_t {
        kValid,
        kTooLarge,
        kLineTooLong,
        kInvalidHeader,
        kInvalidName,
        kMisplacedContinuation,
        kInvalidSection,
        kOverAllowance,  // the parsed manifest would take more memory than allowed
    };

    JarManifest() = default;
    JarManifest(const JarManifest&) = delete;
    JarManifest& operator=(const JarManifest&) = delete;
    ~JarManifest();

    // Reads the `length` bytes of manifest text at `text` (once; they need not outlive the
    // call). With `allowance`, the memory the parsed manifest keeps is taken from it before
    // it is allocated, and a manifest it cannot cover keeps nothing. True when valid.
    bool read(const char* text, size_t length, uint64_t* allowance = nullptr);

    Outcome outcome() const { return outcome_; }
    bool valid() const { return outcome_ == Outcome::kValid; }
    // Whether the main section was read whole: JarFile's Multi-Release check reads that
    // section alone, so what comes after it does not matter there.
    bool mainSectionValid() const { return mainValid_; }
    // The line (from 1) where java stops reading, for an outcome other than kValid.
    int errorLine() const { return errorLine_; }
    // java's words for what is wrong ("invalid header field"); "" for kValid.
    static const char* describe(Outcome outcome);

    // The value of attribute `name` (any ASCII case) in the section named exactly
    // `section` (a section named twice is one), or in the main section when `section` is
    // null; of two, the later. False when absent. Answers from what was read, even from a
    // manifest that is not valid.
    bool find(const NarrowString* section, const char* name, ManifestValue& value) const;
    // The package section's value first, then the main section's, as class loaders read a
    // package's attributes (`section` is "a/b/" for package a.b).
    bool findForPackage(const NarrowString& section, const char* name, ManifestValue& value) const {
        return find(&section, name, value) || find(nullptr, name, value);
    }

    // The memory the parsed manifest keeps, in bytes.
    uint64_t memoryUse() const;

    // An attribute's key: its section (none for the main one) and its name.
    struct Key {
        const char* section;
        uint32_t sectionLength;
        bool named;
        uint8_t nameLength;
        const char* name;
    };
    struct Attribute {
        Key key;
        const char* value;
        uint32_t valueLength;
        uint32_t order;  // in the text: the later of two equal keys wins
    };

    // Calls `visit(const Attribute&)` for every attribute read, sorted by section (the
    // main one first) and name, equal keys in the order of the text. A template, so
    // that only a program that walks a manifest carries the walk.
    template <class Visit>
    void forEach(Visit visit) const {
        for (uint32_t i = 0; i < count_; ++i) visit(attributes_[i]);
    }

private:
    // The attributes, sorted by key and then order, followed by their names and values
    // (continuation lines joined) in the same block.
    std::unique_ptr<Attribute[]> attributes_;
    uint32_t blockSize_ = 0;  // in attributes
    uint32_t count_ = 0;
    Outcome outcome_ = Outcome::kValid;
    bool mainValid_ = false;
    int errorLine_ = 0;
};

}  // namespace oru
