// rcpweb's portable rules: what a page may send (the editor's and the
// settings pages' rules, refused with a message), the gate's Host and Origin
// checks, sessions that expire and addresses locked out after failed logins,
// and the command line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "web/web_args.h"
#include "web/web_gate.h"
#include "web/web_history.h"
#include "web/web_records.h"

namespace {

std::vector<PhonebookEntry> Table() {
  std::vector<PhonebookEntry> table(kSpeedDialEntries);
  for (auto& e : table) std::memset(&e, 0, sizeof e);
  std::strcpy(table[0].name, "ANA");
  std::strcpy(table[0].number, "1133445566");
  std::strcpy(table[1].name, "TURMA");
  table[1].number[0] = static_cast<char>(kGroupDialMark);
  table[1].number[1] = 3;
  return table;
}

Json Body(const std::vector<PhonebookEntry>& table) { return Json{{"entries", PhonebookJson(table.data(), table.size())}}; }

TEST(WebPhonebook, EditorRulesDecideWhatReachesAnEntry) {
  struct Case {
    const char* name;
    const char* number;
    const char* wantName;    // null: refused
    const char* wantNumber;
    const char* message;     // part of the refusal
  };
  static const std::string longNumber(47, '1');
  const Case cases[] = {
      {"joão", "123", nullptr, nullptr, "caracteres que a máquina não aceita"},
      {"ana maria", "11 3344", nullptr, nullptr, "não se discam"},
      {"ana maria", "0p11", "ANA MARIA", "0P11", nullptr},
      {"ABCDEFGHIJKLMNOPQRSTU", "123", nullptr, nullptr, "mais de 20"},
      {"ABCDEFGHIJKLMNOPQRST", "123", "ABCDEFGHIJKLMNOPQRST", "123", nullptr},
      {"X", longNumber.c_str(), nullptr, nullptr, "mais de 46"},
      {"X", "12", nullptr, nullptr, "mais de dois"},
      {"X", "***", nullptr, nullptr, "ao menos um deles um dígito"},
      {"X", "", nullptr, nullptr, "mais de dois"},
      {"", "", "", "", nullptr},
      {"A&B'C/D", "#*9", "A&B'C/D", "#*9", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " / " + c.number);
    auto table = Table();
    Json body = Body(table);
    body["entries"][5] = {{"name", c.name}, {"number", c.number}};
    std::vector<PhonebookEntry> out;
    std::string error;
    const bool ok = DecodePhonebook(body, table.data(), table.size(), out, error);
    if (!c.wantName) {
      EXPECT_FALSE(ok);
      EXPECT_NE(error.find("Entrada 6:"), std::string::npos) << error;
      EXPECT_NE(error.find(c.message), std::string::npos) << error;
      EXPECT_TRUE(out.empty());
      continue;
    }
    ASSERT_TRUE(ok) << error;
    EXPECT_STREQ(out[5].name, c.wantName);
    EXPECT_STREQ(out[5].number, c.wantNumber);
  }
}

TEST(WebPhonebook, GroupDialsAreReadOnlyAndTheCountIsFixed) {
  auto table = Table();
  std::vector<PhonebookEntry> out;
  std::string error;
  ASSERT_TRUE(DecodePhonebook(Body(table), table.data(), table.size(), out, error)) << error;
  EXPECT_EQ(0, std::memcmp(&out[1], &table[1], sizeof table[1]));  // kept byte for byte

  Json renamed = Body(table);
  renamed["entries"][1]["name"] = "OUTRA";
  EXPECT_FALSE(DecodePhonebook(renamed, table.data(), table.size(), out, error));
  EXPECT_NE(error.find("discagem de grupo"), std::string::npos);
  Json ungrouped = Body(table);
  ungrouped["entries"][1] = {{"name", "TURMA"}, {"number", "123"}};
  EXPECT_FALSE(DecodePhonebook(ungrouped, table.data(), table.size(), out, error));
  Json made = Body(table);
  made["entries"][2]["group"] = true;
  EXPECT_FALSE(DecodePhonebook(made, table.data(), table.size(), out, error));

  Json shorter = Body(table);
  shorter["entries"].erase(0);
  EXPECT_FALSE(DecodePhonebook(shorter, table.data(), table.size(), out, error));
  EXPECT_NE(error.find("80 entradas"), std::string::npos);
}

TEST(WebSettings, ValuesOutsideTheFormsAreRefusedAndTheRestRoundTrips) {
  SettingsBlock record{};
  record.cassette1PaperSize = 1;
  record.discardSize = 10;
  record.redialInterval = 3;
  record.ringsToAnswer = 2;
  record.powerSave = 2;
  const Json shown = SettingsJson(record);
  SettingsBlock back = record;
  std::string error;
  ASSERT_TRUE(DecodeSettings(shown, back, error)) << error;
  EXPECT_EQ(0, std::memcmp(&back, &record, kCarriedSettings));

  const std::pair<const char*, Json> refused[] = {
      {"tray1Size", 3}, {"paperType", -1}, {"rings", 8}, {"redialInterval", 0},
      {"ecmMode", 2},   {"discard", "10"}, {"clockMode", 1.5}, {"remoteCode", nullptr}};
  for (const auto& [key, value] : refused) {
    SCOPED_TRACE(key);
    Json changed = shown;
    changed[key] = value;
    SettingsBlock untouched = record;
    EXPECT_FALSE(DecodeSettings(changed, untouched, error));
    EXPECT_NE(error.find(key), std::string::npos) << error;
    EXPECT_EQ(0, std::memcmp(&untouched, &record, sizeof record));
  }
  Json missing = shown;
  missing.erase("rings");
  EXPECT_FALSE(DecodeSettings(missing, back, error));
  Json hiddenLeftOut = shown;
  hiddenLeftOut.erase("autoClear");
  EXPECT_TRUE(DecodeSettings(hiddenLeftOut, back, error)) << error;
}

TEST(WebSettings, AdvancedTextsKeepTheirWidthAndCharacters) {
  SystemInfo record{};
  std::strcpy(record.terminalIdName, "LOJA");
  std::strcpy(record.prefixDial, "0");
  const Json shown = AdvancedJson(record);
  SystemInfo back = record;
  std::string error;
  ASSERT_TRUE(DecodeAdvanced(shown, back, error)) << error;
  EXPECT_STREQ(back.terminalIdName, "LOJA");

  const std::pair<const char*, const char*> refused[] = {
      {"prefixDial", "012345"}, {"terminalIdNumber", "11-3344"}, {"customerName", "JOSÉ"},
      {"serviceNumber", "0800 A"}};
  for (const auto& [key, text] : refused) {
    SCOPED_TRACE(key);
    Json changed = shown;
    changed[key] = text;
    EXPECT_FALSE(DecodeAdvanced(changed, back, error));
    EXPECT_NE(error.find(key), std::string::npos) << error;
  }
  Json list = shown;
  list["language"] = 11;
  EXPECT_FALSE(DecodeAdvanced(list, back, error));
}

TEST(WebRequests, MalformedBodiesAreRefusedBeforeDecoding) {
  Json out;
  std::string error;
  for (const char* body : {"", "[]", "\"x\"", "{\"a\":", "{'a':1}", "{\"a\":1}}", "{\"a\":[[[[[[[1]]]]]]]}"}) {
    SCOPED_TRACE(body);
    EXPECT_FALSE(ParseRequestBody(body, out, error));
    EXPECT_FALSE(error.empty());
  }
  EXPECT_TRUE(ParseRequestBody("{\"a\":\"[[[[[[[[[[\"}", out, error)) << "brackets inside strings do not nest";
}

TEST(WebGate, HostAndOriginMustNameThisServer) {
  const auto allowed = AllowedHosts("127.0.0.1", 8640, {});
  EXPECT_TRUE(HostAllowed("127.0.0.1:8640", allowed));
  EXPECT_TRUE(HostAllowed("LOCALHOST:8640", allowed));
  for (const char* host : {"", "evil.example:8640", "127.0.0.1:8641", "127.0.0.1", "localhost.evil.example:8640"})
    EXPECT_FALSE(HostAllowed(host, allowed)) << host;
  EXPECT_TRUE(HostAllowed("escritorio-pc:8640", AllowedHosts("0.0.0.0", 8640, {"ESCRITORIO-PC"})));

  EXPECT_TRUE(SameOrigin("http://127.0.0.1:8640", "127.0.0.1:8640"));
  EXPECT_FALSE(SameOrigin("", "127.0.0.1:8640"));
  EXPECT_FALSE(SameOrigin("null", "127.0.0.1:8640"));
  EXPECT_FALSE(SameOrigin("http://evil.example", "127.0.0.1:8640"));
  EXPECT_FALSE(SameOrigin("https://127.0.0.1:8640", "127.0.0.1:8640"));
}

TEST(WebGate, SessionsExpireWhenIdleAndFailedLoginsLockAnAddressOut) {
  int64_t now = 1000;
  uint8_t counter = 0;
  SessionStore store([&] { return now; }, [&](uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i) b[i] = ++counter;
    return true;
  });
  const std::string id = store.Open(true);
  SessionStore::Session s;
  ASSERT_TRUE(store.Find(id, s));
  EXPECT_EQ(64u, s.token.size());
  EXPECT_NE(id, s.token);
  now += 14 * 60;
  EXPECT_TRUE(store.Find(id, s)) << "use renews the idle time";
  now += 15 * 60;
  EXPECT_FALSE(store.Find(id, s));
  const std::string other = store.Open(false);
  store.Close(other);
  EXPECT_FALSE(store.Find(other, s));

  for (int i = 0; i < 4; ++i) EXPECT_FALSE(store.Failed("10.0.0.5"));
  EXPECT_TRUE(store.MayTry("10.0.0.5"));
  EXPECT_TRUE(store.Failed("10.0.0.5"));
  int64_t left = 0;
  EXPECT_FALSE(store.MayTry("10.0.0.5", &left));
  EXPECT_EQ(15 * 60, left);
  EXPECT_TRUE(store.MayTry("10.0.0.6")) << "other addresses go on";
  now += left;
  EXPECT_TRUE(store.MayTry("10.0.0.5"));

  SessionStore broken([&] { return now; }, [](uint8_t*, size_t) { return false; });
  EXPECT_TRUE(broken.Open(true).empty()) << "no session without random bytes";
}

TEST(WebArgs, ListenAndLan) {
  struct Case {
    std::vector<std::string> args;
    bool ok;
    const char* address;
    int port;
  };
  const Case cases[] = {
      {{}, true, "127.0.0.1", 8640},
      {{"--listen", "127.0.0.1:9000"}, true, "127.0.0.1", 9000},
      {{"--lan"}, true, "0.0.0.0", 8640},
      {{"--lan", "--listen", "192.168.0.10:80"}, true, "192.168.0.10", 80},
      {{"--listen", "192.168.0.10:8640"}, false, "", 0},
      {{"--listen", "localhost:8640"}, false, "", 0},
      {{"--listen", "127.0.0.1:70000"}, false, "", 0},
      {{"--listen"}, false, "", 0},
      {{"--port", "com1"}, false, "", 0},
  };
  for (const Case& c : cases) {
    WebArgs args;
    std::string error;
    EXPECT_EQ(c.ok, ParseWebArgs(c.args, args, error)) << (c.args.empty() ? "" : c.args.back());
    if (!c.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(c.address, args.address);
    EXPECT_EQ(c.port, args.port);
  }
}

TEST(WebHistory, TheChartMarksJamsAndLeavesMonthsWithoutReadingsEmpty) {
  std::vector<PeriodUsage> months(2);
  months[0].year = months[1].year = 2026;
  months[0].month = 11;
  months[1].month = 12;
  months[1].known = true;
  months[1].use.counters[kPrints] = 150;
  months[1].use.counters[kAdfScans] = 40;
  months[1].use.counters[kPrintJams] = 3;
  const std::string svg = UsageChartSvg(months);
  const auto count = [&](const std::string& part) {
    int n = 0;
    for (size_t at = svg.find(part); at != std::string::npos; at = svg.find(part, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_EQ(count("<g>"), 1) << svg;            // bars for December only
  EXPECT_EQ(count("Z\" fill=\"#c82020\""), 2);  // the legend's jam mark and December's
  EXPECT_NE(svg.find(">200</text>"), std::string::npos) << svg;  // the axis rounded up from 150
  EXPECT_NE(svg.find("dez/2026: 150 impressões, 40 digitalizações, 3 atolamentos"), std::string::npos);
}

}  // namespace
