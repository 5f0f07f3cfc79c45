// The resources oru-pack adds to a Windows launcher: splash bitmap, icon, version.
#pragma once

#include <string>
#include <vector>

#include "pe_resources.h"

namespace oru::tools {

// The resource id the launcher loads its splash bitmap from.
constexpr uint16_t kSplashBitmapId = 100;

// The most images an icon may hold (Windows uses at most a few dozen), and the largest
// picture and icon files read.
constexpr uint32_t kLargestIconCount = 256;
constexpr uint64_t kLargestPictureFile = 256u << 20;
constexpr uint64_t kLargestIconFile = 16u << 20;

struct ResourceRequest {
    std::string splashPath;                // a BMP file, shown as the splash
    std::string iconPath;                  // an ICO file, the executable's icon
    std::vector<std::string> versionInfo;  // KEY=VALUE lines of the version resource
    bool empty() const { return splashPath.empty() && iconPath.empty() && versionInfo.empty(); }
};

// The file header and the largest info header of a BMP file.
constexpr uint32_t kBitmapHeadersSize = 14 + 124;

// Whether `start`, the first kBitmapHeadersSize bytes of a BMP file (or all of a shorter
// one), describes a picture Windows loads and that is not too large; false with the
// reason in `error`.
bool bitmapHeaderUsable(const std::string& start, std::string& error);

// The bitmap resource for the BMP file bytes `file`: the file without its file header.
// False with a one-line reason in `error` when `file` is not a BMP picture Windows loads.
bool bitmapResource(const std::string& file, std::string& resource, std::string& error);

// Puts the images of the ICO file bytes `file` into `table` as icon resources 1 to n and
// icon group 1, replacing every icon the table held. False with a reason in `error`.
bool putIcon(const std::string& file, ResourceTable& table, std::string& error);

// The version resource for KEY=VALUE lines (FileDescription, ProductName, CompanyName,
// FileVersion, ProductVersion, LegalCopyright, ...): the strings, and the numeric block
// filled from FileVersion and ProductVersion. False with a reason in `error`.
bool versionResource(const std::vector<std::string>& lines, std::string& resource,
                     std::string& error);

// Adds the requested resources to the launcher image `launcher`. False with a one-line
// message in `error`; `launcher` is then unchanged.
bool addLauncherResources(std::string& launcher, const ResourceRequest& request,
                          std::string& error);

}  // namespace oru::tools
