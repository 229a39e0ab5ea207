// Ini files read and written as the Windows private profile functions do: the lookups the
// updater relies on ("CurrentVersion" of "Update.ini" and "MUpdate.ini", the key lists of
// "Patch.ini") and writes that change one line and leave every other byte alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "plat/profile.h"
#include "tests/support/headless_fixture.h"

namespace {

namespace profile = plat::profile;

class Profile : public veldra_test::HeadlessTest {};

// Lines that a lookup must skip, a second section of the same name, quotes, blanks.
const char* const kSettings =
    "; written by hand\r\n"
    "Orphan=before any section\r\n"
    "[FTPConfig]\r\n"
    "  CurrentVersion  =  1.0.2.0  \r\n"
    "Server=\"10.0.0.1\"\r\n"
    "Quoted='  padded  '\r\n"
    "Mismatch=\"abc'\r\n"
    ";Hidden=1\r\n"
    "NoEquals\r\n"
    "=no key\r\n"
    "currentversion=second\r\n"
    "[ ftpconfig ] trailing text\r\n"
    "UserName=in the second section\r\n"
    "[Other]\r\n"
    "Key=other\r\n"
    "[\x81\x41]\r\n"
    "Key=double-byte\r\n";

std::string lfOnly(std::string s) {
  std::string out;
  for (char c : s)
    if (c != '\r') out += c;
  return out;
}

TEST_F(Profile, Lookups) {
  struct Case {
    const char* section;
    const char* key;
    const char* def;
    size_t size;
    std::string expected;
  };
  const Case cases[] = {
      {"FTPConfig", "CurrentVersion", "", 1024, "1.0.2.0"},
      {"ftpCONFIG", "CURRENTVERSION", "", 1024, "1.0.2.0"},  // case ignored; the first key wins
      {"FTPConfig", "Server", "", 1024, "10.0.0.1"},
      {"FTPConfig", "Quoted", "", 1024, "  padded  "},
      {"FTPConfig", "Mismatch", "", 1024, "\"abc'"},
      {"FTPConfig", ";Hidden", "d", 1024, "d"},
      {"FTPConfig", "Hidden", "d", 1024, "d"},
      {"FTPConfig", "NoEquals", "d", 1024, "d"},
      {"FTPConfig", "UserName", "d", 1024, "d"},  // only the first section of a name counts
      {"Other", "Key", "", 1024, "other"},
      {"", "Orphan", "d", 1024, "d"},
      {"\x81\x61", "Key", "d", 1024, "d"},  // a trail byte is no letter to fold
      {"\x81\x41", "key", "d", 1024, "double-byte"},
      {"Missing", "Key", "  def  ", 1024, "  def"},  // the default loses its trailing blanks
      {"FTPConfig", "CurrentVersion", "", 4, "1.0"},
      {"FTPConfig", "CurrentVersion", "", 1, ""},
      {"FTPConfig", "CurrentVersion", "", 0, ""},
      {"Missing", "Key", "default", 4, "def"},
  };
  for (const bool crlf : {true, false}) {
    dir.write("Update.ini", crlf ? kSettings : lfOnly(kSettings));
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(crlf ? "CRLF " : "LF ") + c.section + "/" + c.key);
      EXPECT_EQ(profile::getString("Update.ini", c.section, c.key, c.def, c.size), c.expected);
      EXPECT_EQ(profile::getString("UPDATE.INI", c.section, c.key, c.def, c.size), c.expected);  // the resolver's case
    }
  }
  EXPECT_EQ(profile::getString("MUpdate.ini", "FTPConfig", "CurrentVersion", "", 1024), "");  // no file
  EXPECT_EQ(profile::getString("MUpdate.ini", "FTPConfig", "CurrentVersion", "x ", 1024), "x");
}

TEST_F(Profile, KeyLists) {
  dir.write("Patch.ini",
            "[DeleteFiles]\n"
            "first=old.txt\r\n"
            " Second = data\\x.bin\n"
            "; third=skipped\n"
            "third=\n"
            "[DeleteDirectorys]\n"
            "d=data/old\n"
            "[deletefiles]\n"
            "fourth=not read\n");
  struct Case {
    const char* section;
    size_t size;
    std::vector<std::string> expected;
  };
  // The names with their NULs and the closing NUL take 20 characters.
  const Case cases[] = {
      {"DeleteFiles", 102400, {"first", "Second", "third"}},
      {"DELETEFILES", 20, {"first", "Second", "third"}},
      {"DeleteFiles", 19, {"first", "Second", "thir"}},  // cut at size - 2
      {"DeleteFiles", 14, {"first", "Second"}},
      {"DeleteFiles", 13, {"first", "Secon"}},
      {"DeleteFiles", 6, {"firs"}},
      {"DeleteFiles", 2, {}},
      {"DeleteFiles", 0, {}},
      {"DeleteDirectorys", 1024, {"d"}},
      {"Missing", 1024, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + " " + std::to_string(c.size));
    EXPECT_EQ(profile::getKeyNames("Patch.ini", c.section, c.size), c.expected);
  }
  EXPECT_EQ(profile::getString("Patch.ini", "DeleteFiles", "second", "", 1024), "data\\x.bin");
  EXPECT_EQ(profile::getKeyNames("Missing.ini", "DeleteFiles", 1024), std::vector<std::string>{});
}

TEST_F(Profile, Writes) {
  struct Case {
    const char* name;
    const char* before;  // nullptr: no file
    const char* section;
    const char* key;
    const char* value;
    const char* after;
  };
  const Case cases[] = {
      {"creates the file", nullptr, "FTPConfig", "CurrentVersion", "1.0.1.0",
       "[FTPConfig]\r\nCurrentVersion=1.0.1.0\r\n"},
      {"replaces the line in place",
       "; top\r\n[FTPConfig]\r\nServer=a\r\n  currentversion = 1.0.0.0  \r\nUserName=b\n[X]\r\nCurrentVersion=9\r\n",
       "ftpconfig", "CurrentVersion", "1.0.2.0",
       "; top\r\n[FTPConfig]\r\nServer=a\r\ncurrentversion=1.0.2.0\r\nUserName=b\n[X]\r\nCurrentVersion=9\r\n"},
      {"keeps an LF line end", "[A]\nk=1\nj=2\n", "A", "k", "3", "[A]\nk=3\nj=2\n"},
      {"replaces the last line without a line end", "[A]\r\nk=1", "A", "k", "2", "[A]\r\nk=2"},
      {"appends a key after the section's last entry", "[A]\r\nk=1\r\n; note\r\n\r\n[B]\r\nz=1\r\n", "A", "new", "v",
       "[A]\r\nk=1\r\nnew=v\r\n; note\r\n\r\n[B]\r\nz=1\r\n"},
      {"appends a key to an empty section", "[A]\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n[B]\r\n"},
      {"appends a key after a last line without a line end", "[A]\r\nk=1", "A", "j", "2", "[A]\r\nk=1\r\nj=2\r\n"},
      {"appends a section", "[A]\r\nk=1\r\n", "B", "x", "y", "[A]\r\nk=1\r\n[B]\r\nx=y\r\n"},
      {"appends a section after a last line without a line end", "[A]\r\nk=1", "B", "x", "y",
       "[A]\r\nk=1\r\n[B]\r\nx=y\r\n"},
      {"writes an empty value", "[FTPConfig]\r\nCurrentVersion=1.0\r\n", "FTPConfig", "CurrentVersion", "",
       "[FTPConfig]\r\nCurrentVersion=\r\n"},
      {"only the first section of the name", "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", "A", "k", "3",
       "[A]\r\nk=3\r\n[a]\r\nk=2\r\n"},
      {"refuses a value with a line end", "[A]\r\nk=1\r\n", "A", "k", "1\r\n[B]", "[A]\r\nk=1\r\n"},
      {"refuses a value with an LF", "[A]\r\nk=1\r\n", "A", "k", "1\nj=2", "[A]\r\nk=1\r\n"},
      {"refuses a key with '='", "[A]\r\nk=1\r\n", "A", "k=j", "2", "[A]\r\nk=1\r\n"},
      {"refuses a section with ']'", "[A]\r\nk=1\r\n", "A]\r\n[B", "k", "2", "[A]\r\nk=1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dir.hostPath("Update.ini"));
    if (c.before) dir.write("Update.ini", c.before);
    const bool refused = std::string(c.name).rfind("refuses", 0) == 0;
    EXPECT_EQ(profile::writeString("Update.ini", c.section, c.key, c.value), !refused);
    EXPECT_EQ(dir.read("Update.ini"), c.after);
    // The temporary file went into place or away.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
    EXPECT_EQ(std::count(names.begin(), names.end(), "Update.ini.tmp"), 0);
  }
}

TEST_F(Profile, WritesGoThroughTheResolver) {
  // A case variant of the name is the same file: no twin appears.
  dir.write("UPDATE.INI", "[FTPConfig]\r\nCurrentVersion=1.0\r\n");
  ASSERT_TRUE(profile::writeString("Update.ini", "FTPConfig", "CurrentVersion", "1.1"));
  EXPECT_EQ(dir.read("UPDATE.INI"), "[FTPConfig]\r\nCurrentVersion=1.1\r\n");
  EXPECT_FALSE(dir.exists("Update.ini"));
  EXPECT_EQ(profile::getString("update.ini", "FTPConfig", "CurrentVersion", "", 1024), "1.1");

  // A read-only file stays as it is.
  dir.write("ro.ini", "[A]\r\nk=1\r\n");
  std::filesystem::permissions(dir.hostPath("ro.ini"), std::filesystem::perms::owner_read);
  EXPECT_FALSE(profile::writeString("ro.ini", "A", "k", "2"));
  EXPECT_EQ(dir.read("ro.ini"), "[A]\r\nk=1\r\n");

  // Outside the game folder, and a folder in place of the file.
  EXPECT_FALSE(profile::writeString("../outside.ini", "A", "k", "1"));
  EXPECT_FALSE(std::filesystem::exists(dir.hostPath("../outside.ini")));
  dir.mkdir("folder.ini");
  EXPECT_FALSE(profile::writeString("folder.ini", "A", "k", "1"));
  EXPECT_EQ(profile::getString("folder.ini", "A", "k", "d", 1024), "d");
}

}  // namespace
