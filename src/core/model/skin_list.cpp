// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/skin_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/settings/skin_name.h"

namespace hm {

namespace {

// The skins of one root, in directory order.
void addSkinsOf(const std::string& root, std::vector<SkinEntry>& out) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(root, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code kindError;
    // A link to a folder counts as a folder, as the image loader follows it.
    if (!it->is_directory(kindError)) continue;
    std::string name = it->path().filename().string();
    if (!isSkinFolderName(name)) continue;
    std::string folder = root;
    folder.append("/").append(name);
    out.push_back({std::move(name), std::move(folder)});
  }
}

}  // namespace

std::vector<SkinEntry> listSkins(const std::vector<std::string>& roots) {
  std::vector<SkinEntry> all;
  for (const std::string& root : roots) addSkinsOf(root, all);
  // Sorted by name; among equal names the earlier root's entry stays first
  // and is the one kept.
  std::stable_sort(all.begin(), all.end(),
                   [](const SkinEntry& a, const SkinEntry& b) { return a.name < b.name; });
  all.erase(std::unique(all.begin(), all.end(),
                        [](const SkinEntry& a, const SkinEntry& b) { return a.name == b.name; }),
            all.end());
  return all;
}

std::optional<std::string> findSkin(const std::vector<std::string>& roots, std::string_view name) {
  // The listing, not a path test: a folder on a file system that ignores
  // letter case must not answer for a name spelled otherwise.
  for (const SkinEntry& e : listSkins(roots))
    if (e.name == name) return e.folder;
  return std::nullopt;
}

}  // namespace hm
