// Reading contacts files: text encodings, CSV records and vCards.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "files/contacts.h"

namespace {

// 0x80..0x9F of Windows-1252; 0 where the code page leaves a hole.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<uint8_t>(s[i]);
    size_t more;
    uint32_t cp;
    if (c < 0x80) { ++i; continue; }
    if (c >= 0xC2 && c <= 0xDF) { more = 1; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { more = 2; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { more = 3; cp = c & 0x07; }
    else return false;
    if (i + more >= s.size()) return false;
    for (size_t k = 1; k <= more; ++k) {
      const auto d = static_cast<uint8_t>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += more + 1;
  }
  return true;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto unit = [&](size_t at) -> uint32_t {
      const auto a = static_cast<uint8_t>(bytes[at]), b = static_cast<uint8_t>(bytes[at + 1]);
      return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
      const uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    AppendUtf8(out, cp);
  }
  return out;
}

// Bytes as UTF-8 when they are, else as Windows-1252.
std::string AutoText(const std::string& bytes) {
  return IsValidUtf8(bytes) ? bytes : Cp1252ToUtf8(bytes);
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string s) {
  for (char& c : s) c = Lower(c);
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
  return s.substr(b, e - b);
}

bool IsBlank(const std::string& s) { return Trim(s).empty(); }

// ---- CSV ----

char DetectDelimiter(const std::string& text) {
  size_t counts[3] = {};
  const char delims[3] = {',', ';', '\t'};
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    else if (!quoted && (c == '\n' || c == '\r')) break;
    else if (!quoted)
      for (int k = 0; k < 3; ++k)
        if (c == delims[k]) ++counts[k];
  }
  int best = 0;
  for (int k = 1; k < 3; ++k)
    if (counts[k] > counts[best]) best = k;
  return delims[best];
}

// Column headers by meaning, lower case, as UTF-8 bytes spelled out (the
// Windows build takes literals as Windows-1252). Address-book exports in
// English and Portuguese, and our own.
const char* const kFullNameHeaders[] = {"name", "full name", "display name", "nome completo",
                                        "nome de exibi\303\247\303\243o", "nome de exibicao", "nome para exibi\303\247\303\243o",
                                        "contact", "contato", "contact name"};
const char* const kFirstNameHeaders[] = {"first name", "given name", "primeiro nome", "nome pr\303\263prio",
                                         "nome proprio"};
const char* const kMiddleNameHeaders[] = {"middle name", "additional name", "segundo nome", "nome do meio"};
const char* const kLastNameHeaders[] = {"last name", "family name", "sobrenome", "\303\272ltimo nome"};
const char* const kCompanyHeaders[] = {"company", "organization 1 - name", "organization name", "empresa",
                                       "organiza\303\247\303\243o 1 - nome", "organizacao 1 - nome"};
const char* const kFaxHeaders[] = {"business fax", "home fax", "other fax", "fax", "fax comercial",
                                   "fax residencial", "outro fax", "n\303\272mero de fax", "numero de fax"};
const char* const kPhoneHeaders[] = {
    "number", "n\303\272mero", "numero", "business phone", "primary phone", "company main phone",
    "business phone 2", "home phone", "home phone 2", "mobile phone", "other phone", "phone", "tel",
    "telephone", "telefone comercial", "telefone principal", "telefone comercial 2", "telefone residencial",
    "telefone residencial 2", "telefone celular", "celular", "outro telefone", "telefone"};

template <size_t N>
int FindHeader(const std::vector<std::string>& headers, const char* const (&names)[N]) {
  for (const char* name : names)
    for (size_t i = 0; i < headers.size(); ++i)
      if (headers[i] == name) return static_cast<int>(i);
  return -1;
}

// Google's "Phone 1 - Type"/"Phone 1 - Label" and "Phone 1 - Value" pairs.
struct PhonePair {
  int type;
  int value;
};

// One pass over the headers: files with hundreds of columns are common.
std::vector<PhonePair> FindPhonePairs(const std::vector<std::string>& headers) {
  // [n][stem]: the last column seen; the Portuguese stem wins over the English.
  int value[10][2], type[10][2];
  for (auto* t : {value, type})
    for (int n = 0; n < 10; ++n) t[n][0] = t[n][1] = -1;
  const std::string_view stems[2] = {"phone ", "telefone "};
  for (size_t i = 0; i < headers.size(); ++i) {
    const std::string_view h = headers[i];
    for (int s = 0; s < 2; ++s) {
      if (h.size() < stems[s].size() + 4 || h.substr(0, stems[s].size()) != stems[s]) continue;
      const char digit = h[stems[s].size()];
      const std::string_view rest = h.substr(stems[s].size() + 1);
      if (digit < '1' || digit > '9' || rest.substr(0, 3) != " - ") continue;
      const std::string_view kind = rest.substr(3);
      if (kind == "value" || kind == "valor") value[digit - '0'][s] = static_cast<int>(i);
      if (kind == "type" || kind == "label" || kind == "tipo" || kind == "r\303\263tulo" || kind == "rotulo")
        type[digit - '0'][s] = static_cast<int>(i);
    }
  }
  std::vector<PhonePair> pairs;
  for (int n = 1; n <= 9; ++n) {
    const int v = value[n][1] >= 0 ? value[n][1] : value[n][0];
    const int t = type[n][1] >= 0 ? type[n][1] : type[n][0];
    if (v >= 0) pairs.push_back({t, v});
  }
  return pairs;
}

std::string Field(const std::vector<std::string>& record, int column) {
  if (column < 0 || static_cast<size_t>(column) >= record.size()) return {};
  std::string v = Trim(record[column]);
  // Google puts several numbers of one kind in one field.
  const size_t more = v.find(" ::: ");
  if (more != std::string::npos) v = Trim(v.substr(0, more));
  return UnshieldCsvFormula(v);
}

// ---- vCard ----

std::string UpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DecodeQuotedPrintable(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '=' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 &&
        HexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// Splits on `sep` where it is not escaped with a backslash, and undoes the
// escapes of 3.0 and 4.0 values.
std::vector<std::string> SplitValue(const std::string& s, char sep, bool unescape) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < s.size(); ++i) {
    if (unescape && s[i] == '\\' && i + 1 < s.size()) {
      const char n = s[++i];
      parts.back() += (n == 'n' || n == 'N') ? ' ' : n;
    } else if (s[i] == sep) {
      parts.emplace_back();
    } else {
      parts.back() += s[i];
    }
  }
  return parts;
}

struct Property {
  std::string name;                 // upper case, group prefix dropped
  std::vector<std::string> params;  // upper case, "TYPE=FAX,WORK" split into "FAX" "WORK"
  std::string charset;
  bool quotedPrintable = false;
  std::string value;
};

bool ParseProperty(const std::string& line, Property& p) {
  // The name part ends at the first ':' outside double quotes.
  bool quoted = false;
  size_t colon = std::string::npos;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    else if (line[i] == ':' && !quoted) { colon = i; break; }
  }
  if (colon == std::string::npos) return false;
  p.value = line.substr(colon + 1);
  std::vector<std::string> parts;
  std::string current;
  quoted = false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = line[i];
    if (c == '"') { quoted = !quoted; continue; }
    if (c == ';' && !quoted) { parts.push_back(current); current.clear(); continue; }
    current += c;
  }
  parts.push_back(current);
  p.name = UpperAscii(Trim(parts[0]));
  const size_t dot = p.name.rfind('.');
  if (dot != std::string::npos) p.name = p.name.substr(dot + 1);
  for (size_t i = 1; i < parts.size(); ++i) {
    std::string param = UpperAscii(Trim(parts[i]));
    const size_t eq = param.find('=');
    const std::string key = eq == std::string::npos ? "" : param.substr(0, eq);
    const std::string val = eq == std::string::npos ? param : param.substr(eq + 1);
    if (key == "CHARSET") { p.charset = val; continue; }
    if ((key == "ENCODING" || key.empty()) && val == "QUOTED-PRINTABLE") { p.quotedPrintable = true; continue; }
    if (key == "TYPE" || key.empty()) {
      for (const std::string& t : SplitValue(val, ',', false)) p.params.push_back(Trim(t));
    } else if (key == "PREF") {
      p.params.push_back("PREF");
    }
  }
  return true;
}

std::string PropertyText(const Property& p, bool v21) {
  std::string raw = p.quotedPrintable ? DecodeQuotedPrintable(p.value) : p.value;
  if (p.charset == "UTF-8") return AutoText(raw);
  if (!p.charset.empty() && p.charset != "US-ASCII") return Cp1252ToUtf8(raw);
  (void)v21;
  return AutoText(raw);
}

bool Has(const std::vector<std::string>& v, const char* s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// Unfolds the file into logical lines in one pass: a line that starts with a
// blank goes on the one before; a quoted-printable line that ends with '=' (a
// soft line break) takes the next line along. Each logical line keeps its
// first kMaxContactsLineBytes.
std::vector<std::string> LogicalLines(const std::string& text) {
  std::vector<std::string> lines;
  bool softBreak = false;
  bool nameSeen = false;        // the current line's ':' has been met
  bool quotedPrintable = false;  // and its name part asks for quoted-printable
  bool full = false;             // the current line was cut
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + at, end - at);
    at = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);

    if (lines.empty() || !(softBreak || (!line.empty() && (line[0] == ' ' || line[0] == '\t')))) {
      lines.emplace_back();
      nameSeen = quotedPrintable = full = false;
    } else if (!softBreak) {
      line.remove_prefix(1);
    }
    std::string& current = lines.back();
    softBreak = false;
    const size_t from = current.size();
    size_t keep = full ? 0 : std::min(line.size(), kMaxContactsLineBytes - from);
    if (keep < line.size()) {
      // Cut between characters, so that what is kept still reads as UTF-8.
      while (keep > 0 && (static_cast<uint8_t>(line[keep]) & 0xC0) == 0x80) --keep;
      full = true;
    }
    current.append(line.substr(0, keep));
    // Only the new part is searched, so a line folded a million times is
    // still read in one pass.
    if (!nameSeen) {
      const size_t colon = current.find(':', from);
      if (colon != std::string::npos) {
        nameSeen = true;
        quotedPrintable = UpperAscii(current.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
      }
    }
    if (quotedPrintable && !line.empty() && line.back() == '=') {
      softBreak = true;
      if (!full) current.pop_back();
    }
  }
  return lines;
}

// Cuts a UTF-8 text to at most `max` bytes, between characters.
void CutUtf8(std::string& s, size_t max) {
  if (s.size() <= max) return;
  size_t n = max;
  while (n > 0 && (static_cast<uint8_t>(s[n]) & 0xC0) == 0x80) --n;
  s.resize(n);
}

bool IsFormulaStart(const std::string& s) {
  const size_t first = s.find_first_not_of('\'');
  return first != std::string::npos && s[first] != '\0' && std::strchr("=+-@\t\r", s[first]) != nullptr;
}

}  // namespace

std::string Cp1252ToUtf8(const std::string& bytes) {
  std::string out;
  for (char ch : bytes) {
    const auto c = static_cast<uint8_t>(ch);
    if (c >= 0x80 && c <= 0x9F) AppendUtf8(out, kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : 0xFFFD);
    else AppendUtf8(out, c);
  }
  return out;
}

std::string DecodeContactsText(const std::string& bytes) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return AutoText(bytes.substr(3));
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0)
    return Utf16ToUtf8(std::string_view(bytes).substr(2), false);
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0)
    return Utf16ToUtf8(std::string_view(bytes).substr(2), true);
  return AutoText(bytes);
}

std::string ShieldCsvFormula(const std::string& field) {
  return IsFormulaStart(field) ? "'" + field : field;
}

std::string UnshieldCsvFormula(const std::string& field) {
  return !field.empty() && field[0] == '\'' && IsFormulaStart(field) ? field.substr(1) : field;
}

bool ParseCsv(const std::string& text, std::vector<std::vector<std::string>>& records) {
  records.clear();
  const char delim = DetectDelimiter(text);
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, wasQuoted = false, any = false;
  auto endField = [&] {
    CutUtf8(field, kMaxContactsFieldBytes);
    record.push_back(field);
    field.clear();
    wasQuoted = false;
  };
  auto endRecord = [&] {
    endField();
    if (!(record.size() == 1 && record[0].empty())) records.push_back(record);
    record.clear();
    any = false;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          if (field.size() <= kMaxContactsFieldBytes) field += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else if (field.size() <= kMaxContactsFieldBytes) {
        field += c;
      }
      continue;
    }
    if (c == '"' && field.empty() && !wasQuoted) {
      quoted = wasQuoted = any = true;
    } else if (c == delim) {
      endField();
      any = true;
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endRecord();
    } else {
      if (field.size() <= kMaxContactsFieldBytes) field += c;
      any = true;
    }
  }
  if (quoted) {
    records.clear();
    return false;
  }
  if (any || !field.empty() || !record.empty()) endRecord();
  return true;
}

ContactsReadResult ReadCsvContacts(const std::string& bytes, const CsvOptions& options) {
  ContactsReadResult result;
  if (bytes.size() > kMaxContactsFileBytes) { result.error = ContactsError::TooLarge; return result; }
  const std::string text = DecodeContactsText(bytes);
  if (IsBlank(text)) { result.error = ContactsError::Empty; return result; }
  std::vector<std::vector<std::string>> records;
  if (!ParseCsv(text, records)) { result.error = ContactsError::Malformed; return result; }
  if (records.empty()) { result.error = ContactsError::Empty; return result; }

  std::vector<std::string> headers;
  for (const std::string& h : records[0]) headers.push_back(LowerAscii(Trim(h)));
  const int last = FindHeader(headers, kLastNameHeaders);
  int full = FindHeader(headers, kFullNameHeaders);
  int first = FindHeader(headers, kFirstNameHeaders);
  // "Nome" is the first name beside a "Sobrenome" column, the whole name
  // on its own.
  const int nome = FindHeader(headers, {"nome"});
  if (nome >= 0) {
    if (last >= 0 && first < 0) first = nome;
    else if (full < 0) full = nome;
  }
  const int middle = FindHeader(headers, kMiddleNameHeaders);
  const int company = FindHeader(headers, kCompanyHeaders);
  const int slot = FindHeader(headers, {"slot", "posi\303\247\303\243o", "posicao"});
  const int group = FindHeader(headers, {"group", "grupo"});

  std::vector<int> numberColumns;
  std::vector<PhonePair> pairs;
  if (!options.numberColumn.empty()) {
    const std::string wanted = LowerAscii(Trim(options.numberColumn));
    for (size_t i = 0; i < headers.size(); ++i)
      if (headers[i] == wanted) numberColumns.push_back(static_cast<int>(i));
  } else {
    for (const char* h : kFaxHeaders)
      if (int c = FindHeader(headers, {h}); c >= 0) numberColumns.push_back(c);
    for (const char* h : kPhoneHeaders)
      if (int c = FindHeader(headers, {h}); c >= 0) numberColumns.push_back(c);
    pairs = FindPhonePairs(headers);
  }
  const bool hasName = full >= 0 || first >= 0 || last >= 0 || company >= 0;
  if (!hasName) {
    result.error = ContactsError::NoColumns;
    return result;
  }
  if (numberColumns.empty() && pairs.empty()) {
    result.error = ContactsError::NoNumberColumn;
    return result;
  }

  for (size_t r = 1; r < records.size(); ++r) {
    const auto& rec = records[r];
    Contact c;
    c.name = Field(rec, full);
    if (c.name.empty()) {
      for (int col : {first, middle, last}) {
        const std::string part = Field(rec, col);
        if (part.empty()) continue;
        if (!c.name.empty()) c.name += ' ';
        c.name += part;
      }
    }
    if (c.name.empty()) c.name = Field(rec, company);
    // A fax number before any other: in the named columns fax comes first,
    // in Google's pairs the pair whose type says fax.
    for (int col : numberColumns) {
      c.number = Field(rec, col);
      if (!c.number.empty()) break;
    }
    if (c.number.empty()) {
      for (int pass = 0; pass < 2 && c.number.empty(); ++pass) {
        for (const PhonePair& p : pairs) {
          const bool fax = LowerAscii(Field(rec, p.type)).find("fax") != std::string::npos;
          if (pass == 0 && !fax) continue;
          c.number = Field(rec, p.value);
          if (!c.number.empty()) break;
        }
      }
    }
    const std::string slotText = Field(rec, slot);
    if (!slotText.empty() && slotText.size() <= 3 &&
        std::all_of(slotText.begin(), slotText.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
      c.slot = std::atoi(slotText.c_str());
    c.groupDial = !Field(rec, group).empty();
    CutUtf8(c.name, kMaxContactsFieldBytes);
    bool blank = c.name.empty() && c.number.empty();
    for (const std::string& f : rec) blank = blank && IsBlank(f);
    if (!blank) result.contacts.push_back(c);
  }
  if (result.contacts.empty()) result.error = ContactsError::NoContacts;
  return result;
}

std::vector<std::string> CsvHeaders(const std::string& bytes) {
  if (bytes.size() > kMaxContactsFileBytes) return {};
  const std::string text = DecodeContactsText(bytes);
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
  if (UpperAscii(text.substr(at, 11)) == "BEGIN:VCARD") return {};
  std::vector<std::vector<std::string>> records;
  if (!ParseCsv(text, records) || records.empty()) return {};
  std::vector<std::string> headers;
  for (const std::string& h : records[0]) headers.push_back(Trim(h));
  return headers;
}

ContactsReadResult ReadVCardContacts(const std::string& bytes) {
  ContactsReadResult result;
  if (bytes.size() > kMaxContactsFileBytes) { result.error = ContactsError::TooLarge; return result; }
  std::string text = bytes;
  if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text = text.substr(3);
  else if (text.size() >= 2 && (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0))
    text = DecodeContactsText(text);
  if (IsBlank(text)) { result.error = ContactsError::Empty; return result; }

  bool inCard = false, sawCard = false, v21 = false;
  Contact card;
  std::string fn, nName, faxNumber, prefNumber, anyNumber;
  for (const std::string& line : LogicalLines(text)) {
    if (IsBlank(line)) continue;
    Property p;
    if (!ParseProperty(line, p)) {
      if (!inCard) { result.contacts.clear(); result.error = ContactsError::Malformed; return result; }
      continue;  // a stray line inside a card is passed over
    }
    const std::string value = UpperAscii(Trim(p.value));
    if (p.name == "BEGIN" && value == "VCARD") {
      if (inCard) break;  // a card inside a card: malformed, below
      inCard = sawCard = true;
      v21 = false;
      card = Contact{};
      fn.clear(); nName.clear(); faxNumber.clear(); prefNumber.clear(); anyNumber.clear();
      continue;
    }
    if (!inCard) { result.contacts.clear(); result.error = ContactsError::Malformed; return result; }
    if (p.name == "END" && value == "VCARD") {
      card.name = !fn.empty() ? fn : nName;
      card.number = !faxNumber.empty() ? faxNumber : !prefNumber.empty() ? prefNumber : anyNumber;
      CutUtf8(card.name, kMaxContactsFieldBytes);
      CutUtf8(card.number, kMaxContactsFieldBytes);
      if (!card.name.empty() || !card.number.empty() || card.groupDial) result.contacts.push_back(card);
      inCard = false;
      continue;
    }
    if (p.name == "VERSION") { v21 = Trim(p.value) == "2.1"; continue; }
    const std::string val = PropertyText(p, v21);
    if (p.name == "FN") {
      fn = Trim(SplitValue(val, '\0', !v21)[0]);
    } else if (p.name == "N") {
      const auto parts = SplitValue(val, ';', !v21);
      // Family;Given;Additional;Prefix;Suffix, shown as "Given Additional Family".
      for (size_t k : {size_t{1}, size_t{2}, size_t{0}}) {
        if (k >= parts.size()) continue;
        const std::string part = Trim(parts[k]);
        if (part.empty()) continue;
        if (!nName.empty()) nName += ' ';
        nName += part;
      }
    } else if (p.name == "TEL") {
      std::string number = Trim(val);
      if (number.empty()) continue;
      if (Has(p.params, "FAX") && faxNumber.empty()) faxNumber = number;
      if (Has(p.params, "PREF") && prefNumber.empty()) prefNumber = number;
      if (anyNumber.empty()) anyNumber = number;
    } else if (p.name == "X-K40-SLOT") {
      const std::string s = Trim(val);
      if (!s.empty() && s.size() <= 3 &&
          std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        card.slot = std::atoi(s.c_str());
    } else if (p.name == "X-K40-GROUP-DIAL") {
      card.groupDial = true;
    }
  }
  if (inCard) { result.contacts.clear(); result.error = ContactsError::Malformed; return result; }
  if (!sawCard) { result.error = ContactsError::Malformed; return result; }
  if (result.contacts.empty()) result.error = ContactsError::NoContacts;
  return result;
}

ContactsReadResult ReadContacts(const std::string& bytes, const CsvOptions& options) {
  if (bytes.size() > kMaxContactsFileBytes) return {ContactsError::TooLarge, {}};
  const std::string text = DecodeContactsText(bytes);
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
  if (UpperAscii(text.substr(at, 11)) == "BEGIN:VCARD") return ReadVCardContacts(bytes);
  return ReadCsvContacts(bytes, options);
}
