// Names, family choice and path join of the uninstall cleanup (no OS calls).
#include "cleanup/product_folders.h"

#include <cstring>

namespace rcpclean {

WindowsFamily FamilyFromVersion(std::uint32_t version) {
  return (version & 0x80000000u) != 0 ? WindowsFamily::Windows95 : WindowsFamily::Nt;
}

GroupFolders GroupFoldersFor(WindowsFamily family) {
  if (family == WindowsFamily::Nt) return {{kUserProgramsFolder, kCommonProgramsFolder}, 2};
  return {{kUserProgramsFolder, 0}, 1};
}

bool AppendGroupSuffix(char* path, std::size_t capacity) {
  if (path == nullptr || capacity == 0) return false;
  const void* end = std::memchr(path, '\0', capacity);
  if (end == nullptr) return false;
  const std::size_t length = static_cast<const char*>(end) - path;
  const std::size_t suffixLength = sizeof kGroupSuffix - 1;
  if (length + suffixLength + 1 > capacity) return false;
  std::memcpy(path + length, kGroupSuffix, suffixLength + 1);
  return true;
}

bool IsRealEntry(const char* name) {
  return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

}  // namespace rcpclean
