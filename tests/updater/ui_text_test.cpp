// The updater's display texts by key.
#include <gtest/gtest.h>

#include "updater/ui_text.h"

namespace {

using updater::GetUiText;

TEST(UiText, Table) {
  struct Case {
    const char* key;
    const char* text;
  };
  const Case cases[] = {
      {"caption", "Veldra Saga update client"},
      {"process_exit", "Client is already running, unable to update!"},
      {"PROCESS_EXIT", "Client is already running, unable to update!"},
      {"UPDATE_VERSION", "Updating client to  "},
      {"GET_UPDATE_INFO", "Obtained updated list\nthis might take some time."},
      {"GET_DOOR_ERROR", " Server is busy, might be under maintenance or you are not connected to the internet "},
      {"CONNECT_DOOR_ERROR", ""},
      {"", ""},
      {"captio", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(GetUiText(c.key), c.text);
  }
  // Rows 26 and 27 repeat 24 and 25, "%s" included.
  EXPECT_EQ(GetUiText("UPDATE_HAS_PATCH143"), GetUiText("update_has_patch142"));
  EXPECT_EQ(GetUiText("UPDATE_MUST_PATCH143"), GetUiText("UPDATE_MUST_PATCH142"));
  EXPECT_NE(GetUiText("UPDATE_HAS_PATCH142").find("(Version %s)"), std::string::npos);
  // Case folding is ASCII only: a byte above 0x7F never matches a letter.
  EXPECT_EQ(GetUiText("\xC3" "aption"), "");
}

}  // namespace
