// Stand-ins for the firmware update's surroundings in native runs: an image
// file behind the fake OS, and a page that records what it is told.
#pragma once

#include <algorithm>
#include <functional>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "firmware/fw_up_view.h"
#include "res/resource.h"
#include "tests/support/fake_os.h"

// A file: reads from the start on every open. `readLimit` caps each read,
// `endsAt` makes reads deliver nothing from that offset on.
class FakeFile final : public FakeDevice {
 public:
  std::vector<uint8_t> bytes;
  uint32_t readLimit = UINT32_MAX;
  size_t endsAt = SIZE_MAX;
  bool sizeFails = false;

  uint32_t Write(const uint8_t*, uint32_t) override { return 0; }
  uint32_t Read(uint8_t* buffer, uint32_t length) override {
    const size_t end = std::min(bytes.size(), endsAt);
    const size_t n = pos_ >= end ? 0 : std::min<size_t>({length, readLimit, end - pos_});
    if (n > 0) std::memcpy(buffer, bytes.data() + pos_, n);
    pos_ += n;
    return static_cast<uint32_t>(n);
  }
  bool Size(uint64_t* size) override {
    if (sizeFails) return false;
    *size = bytes.size();
    return true;
  }
  void Opened() override { pos_ = 0; }

 private:
  size_t pos_ = 0;
};

// The page as plain values. Every call is also written to `events`:
// "pause 500", "range 0-100", "pos 40", "shown <message>|<percent>",
// "now <text>", "box <text>|<caption>", "cursor", "restore", "update on/off".
class FakeFwView final : public FwUpView {
 public:
  explicit FakeFwView(FakeOs& os) : os_(&os) {}

  std::string fileName, fileSize, message, percent;
  int progress = -1;
  bool updateEnabled = false;
  int cursors = 0;  // shown and not yet restored
  std::vector<uint32_t> pauses;
  std::vector<uint32_t> paintedAtMs;  // the clock at each KeepPainted
  std::vector<std::string> events;
  bool recordShown = true;  // off for long transfers
  std::map<unsigned, std::string> texts = {
      {IDS_APP_TITLE, "Dalvenor/1"},
      {IDS_APP_TITLE_ANSWERED, "Dalvenor/108"},
      {IDS_FW_SELECT_FILE, "Selecione um arquivo de firmware."},
      {IDS_FW_INVALID_FILE, "Arquivo de firmware inválido"},
      {IDS_FW_WRITE_FAILED, "Falha ao gravar os dados."},
      {IDS_FW_BYTES_SENT, "bytes transferidos."},
      {IDS_FW_WRITTEN, "Gravação concluída. Não desligue até que a máquina seja inicializada."},
      {IDS_FW_DONE, "Atualização concluída!"},
      {IDS_FW_DONE_VERSION, "A máquina agora usa o firmware %s."},
      {IDS_FW_SAME_VERSION, "A máquina informa a mesma versão de firmware de antes: %s."},
      {IDS_FW_NO_ANSWER_AFTER, "A máquina não respondeu depois de reiniciar: não foi possível confirmar a atualização."},
      {IDS_FW_UNCONFIRMED, "A máquina usa o firmware %s, mas a versão anterior não foi lida: não foi possível "
                           "confirmar a atualização."},
  };
  // Runs after each pause (a machine that restarts during the long one).
  std::function<void(uint32_t)> afterPause;

  std::string& FileName() override { return fileName; }
  std::string& FileSize() override { return fileSize; }
  std::string& Message() override { return message; }
  std::string& Percent() override { return percent; }
  void SetProgressRange(int low, int high) override {
    events.push_back("range " + std::to_string(low) + "-" + std::to_string(high));
  }
  void SetProgressPos(int position) override {
    progress = position;
    if (recordShown) events.push_back("pos " + std::to_string(position));
  }
  void EnableUpdate(bool enable) override {
    updateEnabled = enable;
    events.push_back(enable ? "update on" : "update off");
  }
  void Redisplay() override {
    if (recordShown) events.push_back("shown " + message + "|" + percent);
  }
  void ShowMessageNow(const std::string& text) override { events.push_back("now " + text); }
  void ShowWaitCursor() override {
    ++cursors;
    events.push_back("cursor");
  }
  void RestoreCursor() override {
    --cursors;
    events.push_back("restore");
  }
  void Pause(uint32_t ms) override {
    pauses.push_back(ms);
    events.push_back("pause " + std::to_string(ms));
    os_->SleepMs(ms);
    if (afterPause) afterPause(ms);
  }
  void KeepPainted() override { paintedAtMs.push_back(os_->NowMs()); }
  void ShowBox(const std::string& text, const std::string& caption) override {
    events.push_back("box " + text + "|" + caption);
  }
  void ShowWarningBox(const std::string& text, const std::string& caption) override {
    events.push_back("warn " + text + "|" + caption);
  }
  void MachineInfoRead() override { events.push_back("info read"); }
  std::string Text(unsigned id) override { return texts.count(id) ? texts[id] : ""; }

 private:
  FakeOs* os_;
};
