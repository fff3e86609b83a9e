// The installed OpsHost (see ops_host.h).
#include "ops/ops_host.h"

namespace {
OpsHost* installed = nullptr;
}  // namespace

OpsHost& TheOpsHost() { return installed ? *installed : PlatformOpsHost(); }

void InstallOpsHost(OpsHost* host) { installed = host; }

std::string PathIn(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
  return folder + "\\" + name;
}
