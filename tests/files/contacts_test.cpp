// Contacts files: address-book exports read into contacts, numbers and names
// made fit for the entry, slots chosen, and the table written out and read
// back. The accents come off through the platform under Wine; here a small
// stand-in folds the letters the samples use.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/contacts.h"
#include "commands/phonebook_rules.h"

namespace {

std::string Sample(const std::string& name) {
  std::ifstream in(std::string(RCP_CONTACT_SAMPLES) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string StandInFold(const std::string& utf8, bool* changed) {
  static const char* const kPairs[][2] = {
      {"ã", "a"}, {"ç", "c"}, {"á", "a"}, {"é", "e"}, {"í", "i"}, {"ú", "u"}, {"ê", "e"}, {"Á", "A"},
      {"ö", "o"}, {"É", "E"}, {"ó", "o"}, {"Ñ", "N"}, {"ñ", "n"}};
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    bool hit = false;
    for (const auto& p : kPairs) {
      const size_t n = std::strlen(p[0]);
      if (utf8.compare(i, n, p[0]) == 0) {
        out += p[1];
        i += n;
        *changed = hit = true;
        break;
      }
    }
    if (!hit) out += utf8[i++];
  }
  return out;
}

struct Expected {
  size_t index;
  const char* name;
  const char* number;
};

struct SampleCase {
  const char* file;
  const char* column;  // chosen number column, or ""
  size_t count;
  std::vector<Expected> contacts;
};

class ContactSamples : public testing::TestWithParam<SampleCase> {};

TEST_P(ContactSamples, ReadAsAddressBooksWriteThem) {
  const SampleCase& c = GetParam();
  CsvOptions options;
  options.numberColumn = c.column;
  const ContactsReadResult r = ReadContacts(Sample(c.file), options);
  ASSERT_EQ(r.error, ContactsError::None) << c.file;
  ASSERT_EQ(r.contacts.size(), c.count) << c.file;
  for (const Expected& e : c.contacts) {
    EXPECT_EQ(r.contacts[e.index].name, e.name) << c.file << " #" << e.index;
    EXPECT_EQ(r.contacts[e.index].number, e.number) << c.file << " #" << e.index;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ContactSamples,
    testing::Values(
        // Windows-1252 bytes; a fax column wins over the phones; a quoted
        // note with quotes and a line break; a company as the name; a
        // contact without any number is still read (the plan skips it).
        SampleCase{"outlook_en_cp1252.csv", "", 4,
                   {{0, "João Conceição", "+55 (11) 5555-0101"},
                    {1, "Ana Maria Souza", "(21) 3333-4444"},
                    {2, "Padaria Pão Quente", "3232-1010"},
                    {3, "Sem Telefone", ""}}},
        SampleCase{"outlook_pt_bom_semicolon.csv", "", 2,
                   {{0, "Márcia Götz", "011 4444-5555"}, {1, "Zé Ninguém", "+55 11 9 8888-7777"}}},
        // Google: the pair typed as a fax wins; " ::: " keeps the first.
        SampleCase{"google_old.csv", "", 2,
                   {{0, "Françoise Ørsted-Łukasz", "+33 1 40 00 00 01"}, {1, "Loja 24h", "0800 123 4567,,99#"}}},
        SampleCase{"google_new.csv", "", 2,
                   {{0, "Beatriz Araújo", "(11) 2222-3333"}, {1, "Cartório Central", "*21#3000"}}},
        SampleCase{"chosen_column.csv", "fax do escritório", 2, {{0, "Rui", "3333-4444"}, {1, "Lia", ""}}},
        SampleCase{"chosen_column.csv", "Linha direta", 2, {{0, "Rui", "1111-2222"}, {1, "Lia", "5555-6666"}}},
        SampleCase{"utf16.csv", "", 1, {{0, "Élise", "5550001"}}},
        SampleCase{"hundred.csv", "", 100, {{0, "Contact 1", "5550001"}, {99, "Contact 100", "5550100"}}},
        // 2.1: quoted-printable in ISO-8859-1 and UTF-8, a soft line break,
        // bare type parameters; the fax number preferred, else PREF.
        SampleCase{"vcard21_qp.vcf", "", 2,
                   {{0, "João Conceição da Silva Araújo", "+55 11 5555-0101"},
                    {1, "Inês Ávila", "(11) 9 1234-5678"}}},
        // 3.0: folded lines, group prefixes, escaped commas, repeated TYPE.
        SampleCase{"vcard30_folded.vcf", "", 2,
                   {{0, "Escritório Central, Matriz", "+55 21 2222-1112"}, {1, "Luís Pereira", "2121-2121"}}},
        SampleCase{"vcard40_uri.vcf", "", 1, {{0, "Øystein Ñúñez", "tel:+47-22-00-00-01;ext=5"}}}));

struct BadCase {
  const char* file;
  const char* column;
  ContactsError error;
};

class BadContactFiles : public testing::TestWithParam<BadCase> {};

TEST_P(BadContactFiles, GiveTheirErrorAndNoContacts) {
  CsvOptions options;
  options.numberColumn = GetParam().column;
  const ContactsReadResult r = ReadContacts(Sample(GetParam().file), options);
  EXPECT_EQ(r.error, GetParam().error) << GetParam().file;
  EXPECT_TRUE(r.contacts.empty()) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(Files, BadContactFiles,
                         testing::Values(BadCase{"empty.csv", "", ContactsError::Empty},
                                         BadCase{"blank.csv", "", ContactsError::Empty},
                                         BadCase{"unterminated_quote.csv", "", ContactsError::Malformed},
                                         BadCase{"header_only.csv", "", ContactsError::NoContacts},
                                         BadCase{"no_columns.csv", "", ContactsError::NoColumns},
                                         BadCase{"no_number_column.csv", "", ContactsError::NoNumberColumn},
                                         BadCase{"chosen_column.csv", "Celular", ContactsError::NoNumberColumn},
                                         BadCase{"unterminated.vcf", "", ContactsError::Malformed},
                                         BadCase{"garbage_before_card.vcf", "", ContactsError::Malformed}));

TEST(Csv, HeadersAreOfferedForTheChosenColumn) {
  EXPECT_EQ(CsvHeaders(Sample("chosen_column.csv")),
            (std::vector<std::string>{"Contato", "Linha direta", "Fax do escritório"}));
  EXPECT_TRUE(CsvHeaders(Sample("vcard30_folded.vcf")).empty());
  EXPECT_TRUE(CsvHeaders(Sample("unterminated_quote.csv")).empty());
  EXPECT_TRUE(CsvHeaders("").empty());
}

TEST(Csv, RecordsFollowTheQuotingRules) {
  struct Case {
    const char* text;
    std::vector<std::vector<std::string>> records;
  } cases[] = {
      {"a,b\r\nc,d", {{"a", "b"}, {"c", "d"}}},
      {"\"a,1\",\"say \"\"hi\"\"\"\n", {{"a,1", "say \"hi\""}}},
      {"\"two\r\nlines\",x\r\n", {{"two\r\nlines", "x"}}},
      {"a,,\r\n\r\n,b", {{"a", "", ""}, {"", "b"}}},
      {"a;b,c;d\n", {{"a", "b,c", "d"}}},  // semicolons win in the first record
      {"a\tb\n", {{"a", "b"}}},
      {"x\"y,z\n", {{"x\"y", "z"}}},  // a quote inside a bare field stays
  };
  for (const Case& c : cases) {
    std::vector<std::vector<std::string>> records;
    ASSERT_TRUE(ParseCsv(c.text, records)) << c.text;
    EXPECT_EQ(records, c.records) << c.text;
  }
  std::vector<std::vector<std::string>> records;
  EXPECT_FALSE(ParseCsv("a,\"b\nc", records));
  EXPECT_TRUE(records.empty());
}

TEST(ContactsText, EncodingsBecomeUtf8) {
  struct Case {
    std::string bytes, text;
  } cases[] = {
      {"\xEF\xBB\xBFJo\xC3\xA3o", "João"},
      {"Jo\xE3o \x80 \x93x\x94", "João € “x”"},
      {std::string("\xFF\xFEJ\0\xE3\0", 6), "Jã"},
      {std::string("\xFE\xFF\0J\0\xE3", 6), "Jã"},
      {"\xC3", "Ã"},  // a cut UTF-8 sequence: the file is not UTF-8
      {"plain", "plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeContactsText(c.bytes), c.text) << c.text;
}

TEST(ContactNumbers, ReduceToWhatTheFieldTakes) {
  struct Case {
    const char* raw;
    const char* prefix;
    const char* text;
    bool changed, cut;
  } cases[] = {
      {"5551234", "00", "5551234", false, false},
      {"+55 (11) 5555-0101", "00", "00551155550101", true, false},
      {"+55 (11) 5555-0101", "0021", "0021551155550101", true, false},
      {"0800 123 4567,,99#", "00", "08001234567PP99#", true, false},
      {"*21#3000", "00", "*21#3000", false, false},
      {"12p34w5", "", "12P34P5", true, false},
      {"tel:+47-22-00-00-01;ext=5", "00", "004722000001", true, false},
      {"55+66", "00", "5566", true, false},
      {"call me", "00", "", true, false},
      {"12345678901234567890123456789012345678901234567890", "00",
       "1234567890123456789012345678901234567890123456", false, true},
  };
  for (const Case& c : cases) {
    const ReducedNumber r = ReduceNumber(c.raw, c.prefix);
    EXPECT_EQ(r.text, c.text) << c.raw;
    EXPECT_EQ(r.changed, c.changed) << c.raw;
    EXPECT_EQ(r.cut, c.cut) << c.raw;
  }
}

TEST(ContactNames, BecomeCapitalsTheFieldTakes) {
  struct Case {
    const char* folded;
    const char* text;
    bool cut, dropped;
  } cases[] = {
      {"Joao Conceicao", "JOAO CONCEICAO", false, false},
      {"  ana   maria  ", "ANA MARIA", false, false},
      {"O'Brien & Sons, Ltd.", "O'BRIEN & SONS, LTD.", false, false},
      {"Loja (24h)!", "LOJA 24H", false, true},
      {"Joao Conceicao da Silva", "JOAO CONCEICAO DA SI", true, false},
      {"Joao Conceicao daxy Silva", "JOAO CONCEICAO DAXY", true, false},  // no blank left at the cut
      {"\xC5\x81ukasz", "UKASZ", false, true},
  };
  for (const Case& c : cases) {
    const MachineName m = NameForMachine(c.folded);
    EXPECT_EQ(m.text, c.text) << c.folded;
    EXPECT_EQ(m.cut, c.cut) << c.folded;
    EXPECT_EQ(m.dropped, c.dropped) << c.folded;
  }
  // A NUL inside a name would end the entry's text early.
  EXPECT_EQ(NameForMachine(std::string("A\0B", 3)).text, "AB");
}

class ImportPlan : public testing::Test {
 protected:
  void SetUp() override {
    std::memset(table, 0, sizeof table);
    StoreEntry(table[0], "KEEP ME", "111");
    StoreEntry(table[2], "GROUP", "");
    table[2].number[0] = static_cast<char>(0xE0);
    table[2].number[1] = 3;
    StoreEntry(table[4], "OLD", "444");
  }
  PhonebookEntry table[80];
};

TEST_F(ImportPlan, FillEmptyTakesOnlyEmptyEntriesAndNeverAGroupDial) {
  const std::vector<Contact> contacts = {
      {"João Conceição", "+55 11 5555-0101"}, {"Sem Número", "n/a"}, {"Ana", "222"}, {"Bia", "333"}};
  const auto rows = PlanImport(table, 80, contacts, ImportMode::FillEmpty, "00", StandInFold);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].slot, 1);
  EXPECT_EQ(rows[0].name, "JOAO CONCEICAO");
  EXPECT_EQ(rows[0].number, "00551155550101");
  EXPECT_EQ(rows[0].notes, unsigned{kNoteAccentsRemoved | kNoteNumberChanged});
  EXPECT_EQ(rows[1].slot, -1);
  EXPECT_EQ(rows[1].notes, unsigned{kNoteAccentsRemoved | kNoteNumberChanged | kNoteNoNumber});
  EXPECT_EQ(rows[2].slot, 3);  // 2 is the group dial
  EXPECT_EQ(rows[3].slot, 5);  // 4 holds OLD

  PhonebookEntry before[80];
  std::memcpy(before, table, sizeof table);
  ApplyImport(table, 80, ImportMode::FillEmpty, rows);
  EXPECT_STREQ(table[1].name, "JOAO CONCEICAO");
  EXPECT_STREQ(table[3].number, "222");
  EXPECT_EQ(std::memcmp(&table[0], &before[0], sizeof table[0]), 0);
  EXPECT_EQ(std::memcmp(&table[2], &before[2], sizeof table[2]), 0);
  EXPECT_EQ(std::memcmp(&table[4], &before[4], sizeof table[4]), 0);
}

TEST_F(ImportPlan, ReplaceAllClearsAllButGroupDialsAndHonoursAskedSlots) {
  std::vector<Contact> contacts = {{"A", "100"}, {"B", "200"}, {"C", "300"}, {"D", "400"}};
  contacts[1].slot = 3;   // the group dial's: not free, so the next free one
  contacts[2].slot = 80;
  contacts[3].groupDial = true;
  const auto rows = PlanImport(table, 80, contacts, ImportMode::ReplaceAll, "00", StandInFold);
  EXPECT_EQ(rows[0].slot, 0);
  EXPECT_EQ(rows[1].slot, 1);
  EXPECT_EQ(rows[2].slot, 79);
  EXPECT_EQ(rows[3].slot, -1);
  EXPECT_EQ(rows[3].notes, unsigned{kNoteGroupDial});
  ApplyImport(table, 80, ImportMode::ReplaceAll, rows);
  EXPECT_STREQ(table[0].name, "A");
  EXPECT_TRUE(IsGroupDial(table[2]));
  EXPECT_STREQ(table[4].name, "");  // OLD went with "replace all"
  EXPECT_STREQ(table[79].number, "300");
}

TEST_F(ImportPlan, ContactsBeyondTheFreeEntriesAreSkipped) {
  const ContactsReadResult r = ReadContacts(Sample("hundred.csv"));
  const auto rows = PlanImport(table, 80, r.contacts, ImportMode::FillEmpty, "00", StandInFold);
  int placed = 0, skipped = 0;
  for (const ImportRow& row : rows) {
    if (row.slot >= 0) ++placed;
    if (row.notes & kNoteNoFreeSlot) ++skipped;
  }
  EXPECT_EQ(placed, 77);  // 80 less KEEP ME, the group dial and OLD
  EXPECT_EQ(skipped, 23);
  EXPECT_EQ(rows[76].slot, 79);
}

TEST_F(ImportPlan, ExportWritesTheEntriesAndMarksTheGroupDial) {
  StoreEntry(table[6], "SAY, \"HI\"", "12P34#");
  // Entries from the machine or a phonebook file may hold any byte.
  StoreEntry(table[7], "=1+1", "55-11");
  StoreEntry(table[8], "'@X", "5 5");
  StoreEntry(table[9], "A\r\nEND:VCARD", "6\r\n7");
  EXPECT_EQ(ExportCsv(table, 80),
            "\xEF\xBB\xBFSlot,Name,Number,Group\r\n"
            "1,KEEP ME,111,\r\n"
            "3,GROUP,,*GROUP DIAL*\r\n"
            "5,OLD,444,\r\n"
            "7,\"SAY, \"\"HI\"\"\",12P34#,\r\n"
            "8,'=1+1,5511,\r\n"
            "9,''@X,55,\r\n"
            "10,\"A\r\nEND:VCARD\",67,\r\n");
  const std::string vcf = ExportVCard(table, 80);
  EXPECT_EQ(vcf.substr(0, 96),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:KEEP ME\r\nN:KEEP ME;;;;\r\nTEL;TYPE=FAX:111\r\nX-K40-SLOT:1\r\n"
            "END:VCARD\r\n");
  EXPECT_NE(vcf.find("FN:GROUP\r\nN:GROUP;;;;\r\nX-K40-GROUP-DIAL:1\r\nX-K40-SLOT:3\r\n"), std::string::npos);
  EXPECT_NE(vcf.find("FN:SAY\\, \"HI\"\r\n"), std::string::npos);
  EXPECT_NE(vcf.find("\r\nFN:A\\nEND:VCARD\r\n"), std::string::npos);
  EXPECT_EQ(ReadContacts(vcf).contacts.size(), 7u) << "one card per entry";
}

TEST_F(ImportPlan, ExportThenImportGivesTheSameEntriesBack) {
  StoreEntry(table[6], "O'HARA, ANA", "12P34#");
  StoreEntry(table[79], "LAST", "*99");
  StoreEntry(table[8], "+CMD", "5511");  // the CSV's apostrophe comes off again
  StoreEntry(table[9], "'-2", "5512");
  for (bool vcard : {false, true}) {
    const std::string file = vcard ? ExportVCard(table, 80) : ExportCsv(table, 80);
    PhonebookEntry again[80];
    std::memcpy(again, table, sizeof table);
    StoreEntry(again[0], "SCRAMBLED", "999");
    StoreEntry(again[40], "EXTRA", "999");
    const ContactsReadResult r = ReadContacts(file);
    ASSERT_EQ(r.error, ContactsError::None);
    const auto rows = PlanImport(again, 80, r.contacts, ImportMode::ReplaceAll, "00", StandInFold);
    ApplyImport(again, 80, ImportMode::ReplaceAll, rows);
    for (int i = 0; i < 80; ++i)
      EXPECT_EQ(std::memcmp(&again[i], &table[i], sizeof table[i]), 0)
          << (vcard ? "vCard" : "CSV") << " entry " << i + 1 << ": " << again[i].name << " " << again[i].number;
  }
}

TEST(ContactFiles, OversizeFilesAreRefusedAndLongTextsCutBetweenCharacters) {
  const std::string tooLarge(kMaxContactsFileBytes + 1, ' ');
  EXPECT_EQ(ReadContacts(tooLarge).error, ContactsError::TooLarge);
  EXPECT_EQ(ReadContacts(tooLarge.substr(1)).error, ContactsError::Empty) << "the limit itself is read";

  std::string vcf = "BEGIN:VCARD\r\nFN:", csv = "Name,Fax\r\n" + std::string(999, 'x'), accents;
  for (int i = 0; i < 200000; ++i) vcf += "\r\n \xC3\xA9";  // folded 200 000 times, far past a line's limit
  vcf += "\r\nTEL:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Ana\r\nTEL:2\r\nEND:VCARD\r\n";
  for (size_t i = 0; i < kMaxContactsFieldBytes / 2; ++i) accents += "\xC3\xA9";
  const ContactsReadResult a = ReadContacts(vcf), b = ReadContacts(csv + accents + ",3\r\n");
  ASSERT_EQ(a.contacts.size(), 2u);
  EXPECT_EQ(a.contacts[0].name, accents);
  EXPECT_EQ(a.contacts[1].name, "Ana");
  ASSERT_EQ(b.contacts.size(), 1u);
  EXPECT_EQ(b.contacts[0].name, std::string(999, 'x') + accents.substr(0, 24));
}

}  // namespace
