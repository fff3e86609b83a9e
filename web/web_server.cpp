// rcpweb's HTTP side (see web_server.h). The library parses HTTP; this file
// decides who may ask what, and answers in JSON with a message the page
// shows. One machine job runs at a time; while it runs, reads are answered
// from the last records with their age, and changes are refused.
#include "web/web_server.h"

#define CPPHTTPLIB_LISTEN_BACKLOG 128
// Small answers go out at once instead of waiting for the client's acknowledgement.
#define CPPHTTPLIB_TCP_NODELAY true
#define CPPHTTPLIB_READ_TIMEOUT_SECOND 5
#define CPPHTTPLIB_WRITE_TIMEOUT_SECOND 5
#define CPPHTTPLIB_KEEPALIVE_TIMEOUT_SECOND 5
#define CPPHTTPLIB_HEADER_MAX_LENGTH 4096
#define CPPHTTPLIB_REQUEST_URI_MAX_LENGTH 2048
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "link/trace.h"
#include "commands/phonebook_rules.h"
#include "web/web_history.h"
#include "web/web_records.h"

namespace {

constexpr char kSessionCookie[] = "rcpweb_session";
constexpr int kServerThreads = 24;

constexpr char kPortBusyText[] = "Porta está ocupada";
constexpr char kNoAnswerText[] = "Não responde";
constexpr char kJobRunningText[] = "A máquina está atendendo outro pedido. Tente de novo em instantes.";
constexpr char kNotReadText[] = "Leia os dados da máquina primeiro.";

void Answer(httplib::Response& res, int status, const Json& body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace), "application/json; charset=utf-8");
}

void Refuse(httplib::Response& res, int status, const std::string& message) {
  Answer(res, status, Json{{"error", message}});
}

std::string CookieValue(const httplib::Request& req, const std::string& name) {
  const std::string header = req.get_header_value("Cookie");
  size_t at = 0;
  while (at < header.size()) {
    size_t end = header.find(';', at);
    if (end == std::string::npos) end = header.size();
    std::string part = header.substr(at, end - at);
    const size_t start = part.find_first_not_of(' ');
    if (start != std::string::npos) part = part.substr(start);
    if (part.compare(0, name.size() + 1, name + "=") == 0) return part.substr(name.size() + 1);
    at = end + 1;
  }
  return {};
}

bool Changes(const std::string& method) { return method != "GET" && method != "HEAD"; }

}  // namespace

struct WebServer::Impl {
  Impl(WebOptions o, MachineJobs& j)
      : options(std::move(o)), jobs(j), sessions(options.clock, options.random, options.limits) {}

  WebOptions options;
  MachineJobs& jobs;
  SessionStore sessions;
  httplib::Server server;

  // The last records read and when; guarded by cacheMutex.
  std::mutex cacheMutex;
  std::optional<MachineRecords> cache;
  int64_t readAt = 0;
  // Held for the whole of a machine job.
  std::mutex jobMutex;
  // The daily reading's wait, ended early when the server stops.
  std::mutex dailyMutex;
  std::condition_variable dailyWake;
  bool stopping = false;

  // Once a day the server reads the machine on its own, so that its history
  // has a reading a day even when no one opens a page. It waits its turn:
  // not while a job runs, not when a page read the machine within the day,
  // and after a busy port or a silent machine it tries again an hour later.
  void DailyReadings() {
    constexpr int64_t kDay = 24 * 60 * 60;
    std::unique_lock<std::mutex> lock(dailyMutex);
    auto wait = std::chrono::minutes(5);  // the pages' own first read comes first
    while (!dailyWake.wait_for(lock, wait, [this] { return stopping; })) {
      int64_t age = 0;
      if (Cached(&age) && age < kDay) {
        wait = std::chrono::minutes(10);
        continue;
      }
      lock.unlock();
      const bool read = ReadOnItsOwn();
      lock.lock();
      wait = read ? std::chrono::minutes(10) : std::chrono::minutes(60);
    }
  }
  bool ReadOnItsOwn() {
    std::unique_lock<std::mutex> job(jobMutex, std::try_to_lock);
    if (!job.owns_lock()) return false;
    const JobOutcome outcome = jobs.ReadAll();
    if (outcome.haveRecords) Remember(outcome.now);
    return outcome.status == JobStatus::Done;
  }

  void Routes();
  bool Gate(const httplib::Request& req, httplib::Response& res);
  bool SessionOf(const httplib::Request& req, SessionStore::Session& out, std::string* id = nullptr) {
    const std::string cookie = CookieValue(req, kSessionCookie);
    if (cookie.empty() || cookie.size() > 128) return false;
    if (id) *id = cookie;
    return sessions.Find(cookie, out);
  }
  void SetSessionCookie(httplib::Response& res, const std::string& id) {
    res.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + id + "; Path=/; HttpOnly; SameSite=Strict");
  }

  std::optional<MachineRecords> Cached(int64_t* age = nullptr) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    if (age) *age = options.clock() - readAt;
    return cache;
  }
  bool BodyOrRefuse(const httplib::Request& req, httplib::Response& res, Json& body) {
    std::string error;
    if (ParseRequestBody(req.body, body, error)) return true;
    Refuse(res, 400, error);
    return false;
  }
  // A change works on the records last read: none read yet is the page's
  // mistake, answered as such.
  std::optional<MachineRecords> CachedOrRefuse(httplib::Response& res) {
    auto records = Cached();
    if (!records) Refuse(res, 409, kNotReadText);
    return records;
  }
  void Remember(const MachineRecords& records) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache = records;
    readAt = options.clock();
  }
  Json Freshness(bool busy) {
    int64_t age = 0;
    const bool have = Cached(&age).has_value();
    Json out{{"busy", busy}};
    if (have) out["age"] = age;
    return out;
  }

  // Runs one machine job and says in the answer how long it took, how much
  // of that was the protocol's own pauses, and what remains: our own time.
  template <typename Job>
  JobOutcome Timed(httplib::Response& res, Job job) {
    const auto start = std::chrono::steady_clock::now();
    auto waited = [this] { return BusyWaitTotalMs() + (options.protocolSleeps ? options.protocolSleeps() : 0); };
    const uint64_t waitsBefore = waited();
    JobOutcome outcome = job();
    const auto wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double waits = static_cast<double>(waited() - waitsBefore);
    char timing[160];
    std::snprintf(timing, sizeof timing, "machine;dur=%.1f, waits;dur=%.0f, own;dur=%.1f", wall, waits,
                  wall > waits ? wall - waits : 0.0);
    res.set_header("Server-Timing", timing);
    return outcome;
  }

  // A job's failure as an answer; false when it did its work.
  bool JobFailed(const JobOutcome& outcome, httplib::Response& res) {
    if (outcome.haveRecords) Remember(outcome.now);
    switch (outcome.status) {
      case JobStatus::Done: return false;
      case JobStatus::PortBusy: Refuse(res, 503, kPortBusyText); return true;
      case JobStatus::NoAnswer: Refuse(res, 502, kNoAnswerText); return true;
      case JobStatus::SendFailed:
        Refuse(res, 502, "A máquina não aceitou o envio. Nada foi alterado além do que ela confirmou.");
        return true;
      case JobStatus::ReadBackFailed:
        Refuse(res, 502, "A gravação não pôde ser conferida: a máquina não respondeu à leitura.");
        return true;
      case JobStatus::ReadBackDiffers:
        Refuse(res, 502, "A máquina não guardou como enviadas as posições: " + outcome.differing +
                             ". Confira as posições e grave de novo.");
        return true;
      case JobStatus::Changed: return false;  // the caller shows both
    }
    return true;
  }

  // The machine last read here, else the one read most recently on this PC.
  static MachineHistory ShownHistory(const std::optional<MachineRecords>& records) {
    return HistoryToShow(TheHistoryStore(), records ? ReadingOf(records->info, {}).serial : std::string());
  }

  Json PhonebookAnswer(const MachineRecords& r) {
    Json entries = PhonebookJson(r.phonebook.data(), r.phonebook.size());
    return Json{{"entries", entries}, {"fingerprint", Fingerprint(entries)}};
  }
  Json SettingsAnswer(const MachineRecords& r) {
    Json settings = SettingsJson(r.settings), advanced = AdvancedJson(r.info);
    return Json{{"settings", settings},
                {"advanced", advanced},
                {"fingerprints", {{"settings", Fingerprint(settings)}, {"advanced", Fingerprint(advanced)}}}};
  }
};

bool WebServer::Impl::Gate(const httplib::Request& req, httplib::Response& res) {
  if (req.headers.size() > kMaxHeaders) {
    Refuse(res, 431, "O pedido tem cabeçalhos demais.");
    return false;
  }
  // A page from another name that resolves here (DNS rebinding) is refused.
  if (!HostAllowed(req.get_header_value("Host"), options.allowedHosts)) {
    Refuse(res, 421, "Este servidor não atende por esse nome.");
    return false;
  }
  if (req.method != "GET" && req.method != "HEAD" && req.method != "POST" && req.method != "PUT") {
    Refuse(res, 405, "Método não permitido.");
    return false;
  }
  const bool api = req.path.rfind("/api/", 0) == 0;
  if (!Changes(req.method)) {
    if (!api || req.path == "/api/session" || !options.lan) return true;
    SessionStore::Session session;
    if (SessionOf(req, session) && session.loggedIn) return true;
    Refuse(res, 401, "Entre com a senha.");
    return false;
  }
  if (!SameOrigin(req.get_header_value("Origin"), req.get_header_value("Host"))) {
    Refuse(res, 403, "Pedido recusado: ele não veio de uma página deste servidor.");
    return false;
  }
  SessionStore::Session session;
  if (!SessionOf(req, session) || !SameSecret(req.get_header_value("X-CSRF-Token"), session.token)) {
    Refuse(res, 403, "Pedido recusado: a sessão expirou ou o código de segurança falta. Recarregue a página.");
    return false;
  }
  if (options.lan && !session.loggedIn && req.path != "/api/login") {
    Refuse(res, 401, "Entre com a senha.");
    return false;
  }
  const std::string type = req.get_header_value("Content-Type");
  if (type.rfind("application/json", 0) != 0) {
    Refuse(res, 415, "O pedido deve vir em JSON.");
    return false;
  }
  return true;
}

void WebServer::Impl::Routes() {
  server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    return Gate(req, res) ? httplib::Server::HandlerResponse::Unhandled : httplib::Server::HandlerResponse::Handled;
  });
  server.set_post_routing_handler([](const httplib::Request& req, httplib::Response& res) {
    res.set_header("Content-Security-Policy",
                   "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; connect-src 'self'; "
                   "form-action 'self'; base-uri 'none'; frame-ancestors 'none'");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("X-Frame-Options", "DENY");
    res.set_header("Referrer-Policy", "no-referrer");
    if (req.path.rfind("/api/", 0) == 0) res.set_header("Cache-Control", "no-store");
  });
  server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    switch (res.status) {
      case 404: Refuse(res, 404, "Página não encontrada."); break;
      case 413: Refuse(res, 413, "O pedido é grande demais."); break;
      case 414: Refuse(res, 414, "O endereço é longo demais."); break;
      default: Refuse(res, res.status, "Pedido inválido."); break;
    }
    return httplib::Server::HandlerResponse::Handled;
  }));

  // The pages' files.
  server.Get(R"(/([a-z_]*(\.[a-z]+)?))", [this](const httplib::Request& req, httplib::Response& res) {
    std::string name = req.matches[1];
    if (name.empty()) name = "index.html";
    WebAsset asset;
    if (!options.asset || !options.asset(name, asset)) {
      Refuse(res, 404, "Página não encontrada.");
      return;
    }
    res.set_content(asset.body, asset.type);
  });

  server.Get("/api/session", [this](const httplib::Request& req, httplib::Response& res) {
    SessionStore::Session session;
    std::string id;
    if (!SessionOf(req, session, &id)) {
      id = sessions.Open(!options.lan);
      if (id.empty() || !sessions.Find(id, session)) {
        Refuse(res, 500, "Não foi possível abrir uma sessão.");
        return;
      }
      SetSessionCookie(res, id);
    }
    Answer(res, 200, Json{{"lan", options.lan}, {"loggedIn", session.loggedIn}, {"token", session.token}});
  });

  server.Post("/api/login", [this](const httplib::Request& req, httplib::Response& res) {
    const std::string address = req.remote_addr;
    int64_t left = 0;
    if (!sessions.MayTry(address, &left)) {
      res.set_header("Retry-After", std::to_string(left));
      Refuse(res, 429, "Tentativas demais. Tente de novo em " + std::to_string((left + 59) / 60) + " minuto(s).");
      return;
    }
    Json body;
    std::string error;
    if (!ParseRequestBody(req.body, body, error) || !body.contains("password") || !body["password"].is_string()) {
      Refuse(res, 400, error.empty() ? "Falta a senha." : error);
      return;
    }
    if (!options.checkPassword || !options.checkPassword(body["password"].get<std::string>())) {
      if (sessions.Failed(address)) {
        Refuse(res, 429, "Tentativas demais. Este endereço está bloqueado por alguns minutos.");
      } else {
        Refuse(res, 401, "Senha incorreta.");
      }
      return;
    }
    sessions.Succeeded(address);
    std::string old;
    SessionStore::Session session;
    if (SessionOf(req, session, &old)) sessions.Close(old);
    // A new session id after the login: one planted before it is worth nothing.
    const std::string id = sessions.Open(true);
    if (id.empty() || !sessions.Find(id, session)) {
      Refuse(res, 500, "Não foi possível abrir uma sessão.");
      return;
    }
    SetSessionCookie(res, id);
    Answer(res, 200, Json{{"lan", true}, {"loggedIn", true}, {"token", session.token}});
  });

  server.Post("/api/logout", [this](const httplib::Request& req, httplib::Response& res) {
    std::string id;
    SessionStore::Session session;
    if (SessionOf(req, session, &id)) sessions.Close(id);
    res.set_header("Set-Cookie", std::string(kSessionCookie) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0");
    Answer(res, 200, Json{{"loggedIn", false}});
  });

  // Máquina: the cached records; "Ler da máquina" reads them all again.
  server.Get("/api/machine", [this](const httplib::Request&, httplib::Response& res) {
    int64_t age = 0;
    const auto records = Cached(&age);
    Json out{{"busy", false}};
    if (records) {
      out["info"] = InfoJson(records->info);
      out["age"] = age;
    }
    Answer(res, 200, out);
  });
  server.Post("/api/machine/read", [this](const httplib::Request&, httplib::Response& res) {
    std::unique_lock<std::mutex> job(jobMutex, std::try_to_lock);
    if (!job.owns_lock()) {
      Json out = Freshness(true);
      out["error"] = kJobRunningText;
      Answer(res, 503, out);
      return;
    }
    const JobOutcome outcome = Timed(res, [&] { return jobs.ReadAll(); });
    if (JobFailed(outcome, res)) return;
    Answer(res, 200, Json{{"info", InfoJson(outcome.now.info)}, {"age", 0}, {"busy", false}});
  });
  // The machine's use per month, from the readings kept on this PC: which
  // machine, and the chart itself as a picture.
  server.Get("/api/history", [this](const httplib::Request&, httplib::Response& res) {
    const MachineHistory history = ShownHistory(Cached());
    if (history.readings.empty()) {
      Answer(res, 200, Json{{"none", true}});
      return;
    }
    Answer(res, 200, Json{{"none", false}, {"serial", history.serial}, {"model", history.model},
                          {"lastReading", HistoryTimeText(history.readings.back().time)}});
  });
  server.Get("/api/history.svg", [this](const httplib::Request&, httplib::Response& res) {
    const MachineHistory history = ShownHistory(Cached());
    if (history.readings.empty()) {
      Refuse(res, 404, "Ainda não há leituras guardadas.");
      return;
    }
    const HistoryTime now = TheHistoryStore().Now();
    res.set_content(UsageChartSvg(UsagePerMonth(UsagePerDay(history.readings), now.year, now.month, 12)),
                    "image/svg+xml");
  });

  server.Get("/api/phonebook", [this](const httplib::Request&, httplib::Response& res) {
    int64_t age = 0;
    const auto records = Cached(&age);
    if (!records) {
      Answer(res, 200, Json{{"entries", nullptr}});
      return;
    }
    Json out = PhonebookAnswer(*records);
    out["age"] = age;
    Answer(res, 200, out);
  });

  server.Put("/api/phonebook", [this](const httplib::Request& req, httplib::Response& res) {
    Json body;
    if (!BodyOrRefuse(req, res, body)) return;
    const auto records = CachedOrRefuse(res);
    if (!records) return;
    std::string error;
    if (!body.contains("base") || !body["base"].is_string()) {
      Refuse(res, 400, "Falta a versão lida do diretório.");
      return;
    }
    std::vector<PhonebookEntry> entries;
    if (!DecodePhonebook(body, records->phonebook.data(), records->phonebook.size(), entries, error)) {
      Refuse(res, 400, error);
      return;
    }
    std::unique_lock<std::mutex> job(jobMutex, std::try_to_lock);
    if (!job.owns_lock()) {
      Refuse(res, 503, kJobRunningText);
      return;
    }
    const std::string base = body["base"];
    const JobOutcome outcome = Timed(res, [&] {
      return jobs.WritePhonebook(entries, [&](const MachineRecords& now) {
        return Fingerprint(PhonebookJson(now.phonebook.data(), now.phonebook.size())) == base;
      });
    });
    if (JobFailed(outcome, res)) return;
    if (outcome.status == JobStatus::Changed) {
      Json current = PhonebookAnswer(outcome.now);
      Answer(res, 409, Json{{"error", "O diretório mudou na máquina desde a leitura. Nada foi gravado: compare e "
                                      "escolha o que fica."},
                            {"conflict", true},
                            {"current", current}});
      return;
    }
    Json out = PhonebookAnswer(outcome.now);
    out["age"] = 0;
    out["message"] = "Diretório gravado na máquina e conferido.";
    Answer(res, 200, out);
  });

  server.Post("/api/phonebook/import", [this](const httplib::Request& req, httplib::Response& res) {
    Json body;
    std::string error;
    ImportRequest request;
    if (!ParseRequestBody(req.body, body, error) || !DecodeImport(body, request, error)) {
      Refuse(res, 400, error);
      return;
    }
    const auto records = CachedOrRefuse(res);
    if (!records) return;
    // The plan is made over the entries as the page holds them.
    std::vector<PhonebookEntry> table = records->phonebook;
    if (body.contains("entries") && !DecodePhonebook(body, records->phonebook.data(), table.size(), table, error)) {
      Refuse(res, 400, error);
      return;
    }
    Json preview = ImportPreview(request, table.data(), table.size(), options.fold, error);
    if (!error.empty()) {
      Refuse(res, 422, error);
      return;
    }
    Answer(res, 200, preview);
  });

  server.Post("/api/phonebook/export", [this](const httplib::Request& req, httplib::Response& res) {
    Json body;
    std::string error;
    const auto records = CachedOrRefuse(res);
    if (!records) return;
    std::vector<PhonebookEntry> table;
    if (!ParseRequestBody(req.body, body, error) ||
        !DecodePhonebook(body, records->phonebook.data(), records->phonebook.size(), table, error)) {
      Refuse(res, 400, error);
      return;
    }
    const std::string format = body.value("format", std::string("csv"));
    if (format == "vcard") {
      res.set_content(ExportVCard(table.data(), table.size()), "text/vcard; charset=utf-8");
    } else if (format == "csv") {
      res.set_content(ExportCsv(table.data(), table.size()), "text/csv; charset=utf-8");
    } else {
      Refuse(res, 400, "O formato deve ser \"csv\" ou \"vcard\".");
    }
  });

  server.Get("/api/settings", [this](const httplib::Request&, httplib::Response& res) {
    int64_t age = 0;
    const auto records = Cached(&age);
    Json out{{"forms", SettingsForms()}};
    if (records) {
      out.update(SettingsAnswer(*records));
      out["age"] = age;
    }
    Answer(res, 200, out);
  });

  server.Put("/api/settings", [this](const httplib::Request& req, httplib::Response& res) {
    Json body;
    if (!BodyOrRefuse(req, res, body)) return;
    const auto records = CachedOrRefuse(res);
    if (!records) return;
    std::string error;
    const bool withSettings = body.contains("settings"), withAdvanced = body.contains("advanced");
    const Json base = body.value("base", Json::object());
    if (!withSettings && !withAdvanced) {
      Refuse(res, 400, "O pedido não traz configurações.");
      return;
    }
    SettingsBlock settings = records->settings;
    SystemInfo advanced = records->info;
    if ((withSettings && (!DecodeSettings(body["settings"], settings, error) || !base.contains("settings"))) ||
        (withAdvanced && (!DecodeAdvanced(body["advanced"], advanced, error) || !base.contains("advanced")))) {
      Refuse(res, 400, error.empty() ? "Falta a versão lida das configurações." : error);
      return;
    }
    std::unique_lock<std::mutex> job(jobMutex, std::try_to_lock);
    if (!job.owns_lock()) {
      Refuse(res, 503, kJobRunningText);
      return;
    }
    const JobOutcome outcome = Timed(res, [&] {
      return jobs.ApplySettings(withSettings ? &settings : nullptr, withAdvanced ? &advanced : nullptr,
                                [&](const MachineRecords& now) {
                                  return (!withSettings ||
                                          base["settings"] == Fingerprint(SettingsJson(now.settings))) &&
                                         (!withAdvanced || base["advanced"] == Fingerprint(AdvancedJson(now.info)));
                                });
    });
    if (JobFailed(outcome, res)) return;
    if (outcome.status == JobStatus::Changed) {
      Answer(res, 409, Json{{"error", "As configurações mudaram na máquina desde a leitura. Nada foi aplicado: "
                                      "compare e escolha o que fica."},
                            {"conflict", true},
                            {"current", SettingsAnswer(outcome.now)}});
      return;
    }
    Remember(outcome.now);
    Json out = SettingsAnswer(outcome.now);
    out["age"] = 0;
    out["message"] = "Configurações aplicadas.";
    Answer(res, 200, out);
  });

  server.Get("/api/backups", [this](const httplib::Request&, httplib::Response& res) {
    Json list = Json::array();
    for (const BackupItem& item : jobs.Backups())
      list.push_back({{"name", item.name}, {"when", item.when}, {"kind", item.phonebook ? "phonebook" : "settings"}});
    Answer(res, 200, Json{{"backups", list}});
  });

  server.Get("/api/backups/load", [this](const httplib::Request& req, httplib::Response& res) {
    const auto records = CachedOrRefuse(res);
    if (!records) return;
    MachineRecords loaded = *records;
    const std::string name = req.get_param_value("name");
    // Loading a settings backup lends the device records a job would use.
    std::unique_lock<std::mutex> job(jobMutex, std::try_to_lock);
    if (!job.owns_lock()) {
      Refuse(res, 503, kJobRunningText);
      return;
    }
    if (name.empty() || !jobs.LoadBackup(name, loaded)) {
      Refuse(res, 404, "Esta cópia de segurança não existe ou não pôde ser lida.");
      return;
    }
    // The form gets the backup; the base stays what the machine holds, so a
    // send still notices a change made since the read.
    Json out{{"name", name}};
    Json machineEntries = PhonebookJson(records->phonebook.data(), records->phonebook.size());
    out["phonebook"] = {{"entries", PhonebookJson(loaded.phonebook.data(), loaded.phonebook.size())},
                        {"fingerprint", Fingerprint(machineEntries)}};
    Json settings = SettingsAnswer(loaded), machine = SettingsAnswer(*records);
    settings["fingerprints"] = machine["fingerprints"];
    out["settings"] = settings;
    Answer(res, 200, out);
  });
}

WebServer::WebServer(WebOptions options, MachineJobs& jobs) : impl_(std::make_unique<Impl>(std::move(options), jobs)) {
  httplib::Server& s = impl_->server;
  s.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
  s.set_payload_max_length(kMaxBodyBytes);
  s.set_read_timeout(kClientTimeoutSeconds, 0);
  s.set_write_timeout(kClientTimeoutSeconds, 0);
  s.set_keep_alive_timeout(kClientTimeoutSeconds);
  s.set_keep_alive_max_count(100);
  impl_->Routes();
}

WebServer::~WebServer() = default;

bool WebServer::Bind() { return impl_->server.bind_to_port(impl_->options.address.c_str(), impl_->options.port); }
void WebServer::Serve() {
  std::thread daily([this] { impl_->DailyReadings(); });
  impl_->server.listen_after_bind();
  {
    std::lock_guard<std::mutex> lock(impl_->dailyMutex);
    impl_->stopping = true;
  }
  impl_->dailyWake.notify_all();
  daily.join();
}
void WebServer::Stop() { impl_->server.stop(); }
