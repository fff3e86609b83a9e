// Builds without Windows (the native tests): no folder to keep histories
// in until a test installs its own store.
#include "history/history.h"

namespace {

class NoHistoryStore final : public HistoryStore {
 public:
  bool Read(const std::string&, std::string&) override { return false; }
  bool Replace(const std::string&, const std::string&) override { return false; }
  std::vector<std::string> Names() override { return {}; }
  HistoryTime Now() override { return {}; }
};

}  // namespace

bool ReplaceWholeFile(const std::string&, const std::string&) { return false; }

HistoryStore& PlatformHistoryStore() {
  static NoHistoryStore store;
  return store;
}
