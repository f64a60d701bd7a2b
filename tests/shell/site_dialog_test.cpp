#include "shell/site_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog_host.h"
#include "support/fake_dialogs.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::FakeDialogs;
using test::Press;
using test::Then;

constexpr int kFirstBox = 200;
constexpr int kPhotoList = 400;
constexpr int kAddPhoto = 401;
constexpr int kRemovePhoto = 402;

std::vector<std::string> Keys(const std::vector<DetailRow>& rows) {
  std::vector<std::string> keys;
  for (const DetailRow& row : rows)
    keys.push_back(row.Key);
  return keys;
}

ReportFields Numbered(int count) {
  ReportFields fields;
  for (int i = 1; i <= count; ++i)
    fields.emplace_back("K" + std::to_string(i), "v" + std::to_string(i));
  return fields;
}

// Rows from the given details, then edits: blank rows drop out, rows past
// the twelfth survive untouched.
TEST(SiteDetailRows, GivenFirstThenTheUsualOnesAndEditsKeepTheRest) {
  const std::vector<std::string> usual{
      "Site A",   "Site B",        "Coordinates",         "Engineer",
      "Customer", "Radio serials", "Antennas and cables", "Notes"};
  EXPECT_EQ(Keys(DetailRows({})), usual);

  const ReportFields given{{"Engineer", "J. Smith"}, {"Mast", "north"}};
  const std::vector<DetailRow> rows = DetailRows(given);
  const std::vector<std::string> keys{
      "Engineer",    "Mast",     "Site A",        "Site B",
      "Coordinates", "Customer", "Radio serials", "Antennas and cables",
      "Notes"};
  EXPECT_EQ(Keys(rows), keys);
  EXPECT_EQ(rows[0].Value, "J. Smith");

  struct Case {
    ReportFields before;
    std::vector<std::pair<std::size_t, std::string>> edits;  // row, new value
    ReportFields after;
  } cases[] = {
      {given, {}, given},
      {given, {{0, "  "}, {2, "Nørd"}}, {{"Mast", "north"}, {"Site A", "Nørd"}}},
      {Numbered(14),
       {{11, ""}},
       [] {
         ReportFields f = Numbered(14);
         f.erase(f.begin() + 11);
         return f;
       }()},
  };
  for (const Case& c : cases) {
    std::vector<DetailRow> edited = DetailRows(c.before);
    ASSERT_LE(edited.size(), kMostDetailRows);
    for (const auto& [row, value] : c.edits)
      edited[row].Value = value;
    EXPECT_EQ(EditedFields(edited, c.before), c.after);
  }
}

class SiteDialog : public testing::Test {
 protected:
  SiteDialog() { t.window.SetDialogHost(&host); }
  test::TestApp t;
  FakeDialogs host;
};

// Photos added and removed in the list's order; OK keeps the edits,
// Cancel none of them.
TEST_F(SiteDialog, OkKeepsTheEditsAndCancelDropsThem) {
  for (const bool ok : {true, false}) {
    t.app.Site = {{{"Engineer", "J. Smith"}}, {"a.jpg"}};
    t.window.FileAnswers = {"c.png", "b.jpg"};
    host.Script.push_back([&](FakeDialogs& h, DialogId d) {
      h.At(d).Texts[kFirstBox + 1] = "Nørd mast";  // Site A
      h.Command(d, kAddPhoto, 0);
      h.Command(d, kAddPhoto, 0);
      h.SelectListItem(d, kPhotoList, 1);
      h.Command(d, kRemovePhoto, 0);
      EXPECT_EQ(h.At(d).Items[kPhotoList], (std::vector<std::string>{"c.png", "b.jpg"}));
      h.Command(d, ok ? kIdOk : kIdCancel, 0);
    });
    EXPECT_EQ(AskSiteDetails(t.app), ok);
    const SiteDetails expected =
        ok ? SiteDetails{{{"Engineer", "J. Smith"}, {"Site A", "Nørd mast"}}, {"c.png", "b.jpg"}}
           : SiteDetails{{{"Engineer", "J. Smith"}}, {"a.jpg"}};
    EXPECT_EQ(t.app.Site.Fields, expected.Fields);
    EXPECT_EQ(t.app.Site.Photos, expected.Photos);
  }
}

TEST_F(SiteDialog, TwentyPhotosAreTheMost) {
  t.app.Site.Photos.assign(kMaxPhotos, "p.jpg");
  t.window.FileAnswers = {"one-more.jpg"};
  host.Script.push_back(Then(Press(kAddPhoto), Press(kIdOk)));
  EXPECT_TRUE(AskSiteDetails(t.app));
  EXPECT_EQ(t.app.Site.Photos.size(), kMaxPhotos);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "A report holds at most 20 photos.");
}

}  // namespace
}  // namespace ptpdiag
