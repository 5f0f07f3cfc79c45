// Merging jars into the archive's root, as the class path would see them one after another.
#include "root_layout.h"

#include <zlib.h>

#include <map>
#include <set>
#include <unordered_map>

#include "duplicate_classes.h"
#include "jar_reader.h"
#include "request_checks.h"
#include "root_manifest.h"
#include "root_names.h"

namespace oru::tools {

namespace {

const char kOwnFolder[] = "com/vostrand/oru/";

// The bytes of a stored entry; false when they do not inflate to its size.
bool plainBytes(const StoredEntry& entry, std::string& bytes) {
    if (!entry.deflated) {
        bytes = entry.data;
        return true;
    }
    bytes.assign(entry.size, '\0');
    uLongf size = entry.size;
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK) return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(entry.data.data()));
    stream.avail_in = static_cast<uInt>(entry.data.size());
    stream.next_out = reinterpret_cast<Bytef*>(bytes.data());
    stream.avail_out = static_cast<uInt>(size);
    const int status = inflate(&stream, Z_FINISH);
    const bool whole = status == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    return whole;
}

bool sameBytes(const StoredEntry& a, const StoredEntry& b) {
    if (a.crc != b.crc || a.size != b.size) return false;
    if (a.deflated == b.deflated && a.data == b.data) return true;
    std::string first, second;
    return plainBytes(a, first) && plainBytes(b, second) && first == second;
}

class RootMerge {
public:
    bool addJar(const std::string& path, bool application, std::string& error);
    // Writes the manifest, the folders, `archive`'s own entries and the merged ones.
    void write(ZipWriter& archive);
    std::vector<std::string> warnings() const { return classes_.warnings(); }

private:
    struct Kept {
        std::string name;
        StoredEntry entry;
        size_t jar;
    };
    bool addEntry(JarReader& jar, uint32_t index, const std::string& name, std::string& error);
    bool keep(JarReader& jar, uint32_t index, const std::string& name, std::string& error);
    void addFolders(const std::string& name);

    std::vector<std::string> jars_;
    bool multiRelease_ = false;  // the jar being added
    const JarManifest* manifest_ = nullptr;
    RootManifest rootManifest_;
    DuplicateClasses classes_;
    std::vector<Kept> kept_;
    std::unordered_map<std::string, size_t> keptIndex_;
    std::vector<std::string> serviceNames_;
    std::map<std::string, std::string> services_;
    std::set<std::string> folders_;
};

void RootMerge::addFolders(const std::string& name) {
    for (size_t slash = name.find('/'); slash != std::string::npos;
         slash = name.find('/', slash + 1))
        folders_.insert(name.substr(0, slash + 1));
}

bool RootMerge::keep(JarReader& jar, uint32_t index, const std::string& name, std::string& error) {
    StoredEntry entry;
    if (!jar.readStored(index, entry)) {
        error = "cannot read " + printable(name) + " in " + jars_.back();
        return false;
    }
    const auto [place, first] = keptIndex_.emplace(name, kept_.size());
    if (first) {
        kept_.push_back({name, std::move(entry), jars_.size() - 1});
        addFolders(name);
        return true;
    }
    const Kept& held = kept_[place->second];
    if (held.jar == jars_.size() - 1 || sameBytes(held.entry, entry)) return true;
    error = jars_[held.jar] + " and " + jars_.back() + " both hold " + printable(name) +
            " with different contents; --layout root keeps one copy of each name";
    return false;
}

bool RootMerge::addEntry(JarReader& jar, uint32_t index, const std::string& name,
                         std::string& error) {
    switch (rootEntryKind(name)) {
        case RootEntryKind::kManifest:
        case RootEntryKind::kLeftOut:
            return true;
        case RootEntryKind::kService: {
            std::string lines;
            if (!jar.readAt(index, lines)) break;
            if (!lines.empty() && lines.back() != '\n') lines += '\n';
            const auto [place, first] = services_.emplace(name, lines);
            if (first) {
                serviceNames_.push_back(name);
                addFolders(name);
            } else {
                place->second += lines;
            }
            return true;
        }
        case RootEntryKind::kLicence:
            return keptIndex_.count(name) || keep(jar, index, name, error);
        case RootEntryKind::kVersioned:
            if (!multiRelease_) return true;
            if (name.size() > 6 && name.compare(name.size() - 6, 6, ".class") == 0)
                rootManifest_.addPackage(packageFolder(name), manifest_);
            return keep(jar, index, name, error);
        case RootEntryKind::kClass:
            rootManifest_.addPackage(packageFolder(name), manifest_);
            return keptIndex_.count(name) || keep(jar, index, name, error);
        case RootEntryKind::kResource:
            return keep(jar, index, name, error);
    }
    error = "cannot read " + printable(name) + " in " + jars_.back();
    return false;
}

bool RootMerge::addJar(const std::string& path, bool application, std::string& error) {
    JarReader jar;
    if (!jar.openFile(path, error)) {
        if (error.empty()) error = path + " is not a jar (no ZIP archive in it)";
        return false;
    }
    jars_.push_back(path);
    JarManifest manifest;
    const bool hasManifest = jar.readManifest(manifest);
    if (application && hasManifest) {
        error = manifestProblem(manifest, path);
        if (!error.empty()) return false;
        rootManifest_.setApplication(manifest);
    }
    if (hasManifest) rootManifest_.addJar(manifest);
    ManifestValue value;
    multiRelease_ = hasManifest && manifest.mainSectionValid() &&
                    manifest.find(nullptr, "Multi-Release", value) && value.isTrue();
    manifest_ = hasManifest && manifest.valid() ? &manifest : nullptr;
    const std::vector<JarEntryInfo> entries = jar.entries();
    classes_.addJar(path, entries);
    for (uint32_t index = 0; index < entries.size(); ++index) {
        const std::string& name = entries[index].name;
        if (name.compare(0, sizeof kOwnFolder - 1, kOwnFolder) == 0) {
            error = path + " holds " + printable(name) +
                    ", under the folder that oru-pack keeps for the launcher's own classes";
            return false;
        }
        if (!name.empty() && name.back() == '/') {
            if (multiRelease_ || name.compare(0, 18, "META-INF/versions/") != 0) addFolders(name);
        } else if (!addEntry(jar, index, name, error)) {
            return false;
        }
    }
    manifest_ = nullptr;
    return true;
}

void RootMerge::write(ZipWriter& archive) {
    for (const ZipWriter::Entry& entry : archive.entries()) addFolders(entry.name);
    folders_.insert("META-INF/");
    ZipWriter merged;
    merged.add("META-INF/", "", ZipMethod::kStored);
    merged.add("META-INF/MANIFEST.MF", rootManifest_.text());
    for (const std::string& folder : folders_)
        if (folder != "META-INF/") merged.add(folder, "", ZipMethod::kStored);
    for (const ZipWriter::Entry& entry : archive.entries()) merged.addRaw(entry);
    for (Kept& kept : kept_) {
        ZipWriter::Entry entry;
        entry.name = kept.name;
        entry.stored = std::move(kept.entry.data);
        entry.crc = kept.entry.crc;
        entry.size = kept.entry.size;
        entry.method = kept.entry.deflated ? ZipMethod::kDeflated : ZipMethod::kStored;
        // Clojure, for one, loads a compiled class only when it is newer than its source.
        entry.dosTime = kept.entry.dosTime;
        merged.addRaw(entry);
    }
    for (const std::string& name : serviceNames_) merged.add(name, services_[name]);
    archive = std::move(merged);
}

}  // namespace

bool addRootLayout(const std::vector<std::string>& jars, bool withApplication, ZipWriter& archive,
                   std::vector<std::string>& warnings, std::string& error) {
    RootMerge merge;
    for (size_t i = 0; i < jars.size(); ++i)
        if (!merge.addJar(jars[i], withApplication && i == 0, error)) return false;
    merge.write(archive);
    for (std::string& line : merge.warnings()) warnings.push_back(std::move(line));
    return true;
}

bool isRootLayout(const std::vector<std::string>& names) {
    bool manifest = false;
    for (const std::string& name : names) {
        if (name == "t.jar") return false;
        manifest = manifest || name == "META-INF/MANIFEST.MF";
    }
    return manifest;
}

}  // namespace oru::tools
