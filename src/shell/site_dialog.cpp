#include "shell/site_dialog.h"

#include <algorithm>
#include <array>

#include "platform/dialog_host.h"
#include "shell/dialogs.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr const char* kCaption = "Link Report";
constexpr std::array<const char*, 8> kUsualKeys{
    "Site A",   "Site B",        "Coordinates",         "Engineer",
    "Customer", "Radio serials", "Antennas and cables", "Notes"};

// Dialog units.
constexpr int kWidth = 280;
constexpr int kMargin = 8;
constexpr int kBoxX = 96;
constexpr int kBoxWidth = kWidth - kBoxX - kMargin;
constexpr int kRowStep = 15;
constexpr int kPhotoListHeight = 52;
constexpr int kButtonHeight = 14;

constexpr int kFirstBoxId = 200;
constexpr int kFirstLabelId = 300;
constexpr int kPhotoListId = 400;
constexpr int kAddPhotoId = 401;
constexpr int kRemovePhotoId = 402;
constexpr int kPhotosLabelId = 403;

bool Blank(const std::string& text) {
  return text.find_first_not_of(" \t") == std::string::npos;
}

// The dialog while it is up: its rows and the photos as edited so far.
struct SiteForm {
  AppContext& App;
  DialogHost& Host;
  std::vector<DetailRow> Rows;
  std::vector<std::string> Photos;

  void AddRows(DialogId dialog) const {
    for (std::size_t i = 0; i < Rows.size(); ++i) {
      const int y = kMargin + static_cast<int>(i) * kRowStep;
      const int n = static_cast<int>(i);
      Host.AddControl(dialog, {ControlKind::Label,
                               kFirstLabelId + n,
                               Rows[i].Key + ":",
                               {},
                               kMargin,
                               y + 2,
                               kBoxX - kMargin - 4,
                               8,
                               {}});
      Host.AddControl(dialog, {ControlKind::FreeTextBox,
                               kFirstBoxId + n,
                               Rows[i].Value,
                               {},
                               kBoxX,
                               y,
                               kBoxWidth,
                               12,
                               {}});
    }
  }

  void AddPhotoControls(DialogId dialog, int y) {
    Host.AddControl(dialog,
                    {ControlKind::Label, kPhotosLabelId, "Photos:", {}, kMargin, y + 2, 60, 8, {}});
    ControlPlan list{
        ControlKind::ListBox, kPhotoListId, "", Photos, kBoxX, y, kBoxWidth, kPhotoListHeight, {}};
    list.Sorted = false;  // in the report's order
    Host.AddControl(dialog, list);
    Host.AddControl(dialog, {ControlKind::PushButton,
                             kAddPhotoId,
                             "Add Photo...",
                             {},
                             kMargin,
                             y + 14,
                             60,
                             kButtonHeight,
                             [this](DialogId d, int) { AddPhoto(d); }});
    Host.AddControl(dialog, {ControlKind::PushButton,
                             kRemovePhotoId,
                             "Remove Photo",
                             {},
                             kMargin,
                             y + 32,
                             60,
                             kButtonHeight,
                             [this](DialogId d, int) { RemovePhoto(d); }});
  }

  void AddPhoto(DialogId dialog) {
    PlatformWindow* window = App.Window.CurrentWindow;
    if (Photos.size() >= kMaxPhotos) {
      window->MessageBox("A report holds at most " + std::to_string(kMaxPhotos) + " photos.",
                         kCaption, "");
      return;
    }
    FilePrompt prompt;
    prompt.Title = "Add Photo";
    prompt.Filter = "Photos|*.jpg;*.jpeg;*.png|All Files|*.*";
    prompt.DefaultExtension = "jpg";
    const std::optional<std::string> path = window->AskOpenPath(prompt);
    if (!path) return;
    Photos.push_back(*path);
    Host.SetListItems(dialog, kPhotoListId, Photos);
    Host.SelectListItem(dialog, kPhotoListId, static_cast<int>(Photos.size()));
  }

  void RemovePhoto(DialogId dialog) {
    const auto chosen =
        std::find(Photos.begin(), Photos.end(), Host.GetListText(dialog, kPhotoListId));
    if (chosen == Photos.end()) return;
    Photos.erase(chosen);
    Host.SetListItems(dialog, kPhotoListId, Photos);
  }

  void Accept(DialogId dialog) {
    std::vector<DetailRow> edited = Rows;
    for (std::size_t i = 0; i < edited.size(); ++i)
      edited[i].Value = Host.GetText(dialog, kFirstBoxId + static_cast<int>(i));
    App.Site.Fields = EditedFields(edited, App.Site.Fields);
    App.Site.Photos = Photos;
    Host.EndDialog(dialog, kIdOk);
  }
};

}  // namespace

std::vector<DetailRow> DetailRows(const ReportFields& fields) {
  std::vector<DetailRow> rows;
  for (const auto& [key, value] : fields) {
    if (rows.size() == kMostDetailRows) return rows;
    rows.push_back({key, value});
  }
  for (const char* key : kUsualKeys) {
    if (rows.size() == kMostDetailRows) break;
    const bool given =
        std::any_of(fields.begin(), fields.end(), [key](const auto& f) { return f.first == key; });
    if (!given) rows.push_back({key, ""});
  }
  return rows;
}

ReportFields EditedFields(const std::vector<DetailRow>& rows, const ReportFields& before) {
  ReportFields fields;
  for (const DetailRow& row : rows) {
    if (!Blank(row.Value)) fields.emplace_back(row.Key, row.Value);
  }
  // Rows past the given details are the usual blank ones.
  const std::size_t shown = std::min(before.size(), rows.size());
  fields.insert(fields.end(), before.begin() + static_cast<std::ptrdiff_t>(shown), before.end());
  return fields;
}

bool AskSiteDetails(AppContext& app) {
  DialogHost* host = DialogHostFor(app, kCaption);
  if (host == nullptr) return false;
  SiteForm form{app, *host, DetailRows(app.Site.Fields), app.Site.Photos};
  const int photosY = kMargin + static_cast<int>(form.Rows.size()) * kRowStep + 4;
  const int buttonsY = photosY + kPhotoListHeight + 10;
  const DialogId dialog = host->NewDialog(kCaption, kWidth, buttonsY + kButtonHeight + kMargin);
  form.AddRows(dialog);
  form.AddPhotoControls(dialog, photosY);
  host->AddControl(dialog, {ControlKind::DefaultPushButton,
                            kIdOk,
                            "OK",
                            {},
                            kWidth - kMargin - 92,
                            buttonsY,
                            44,
                            kButtonHeight,
                            [&form](DialogId d, int) { form.Accept(d); }});
  host->AddControl(dialog, {ControlKind::PushButton,
                            kIdCancel,
                            "Cancel",
                            {},
                            kWidth - kMargin - 44,
                            buttonsY,
                            44,
                            kButtonHeight,
                            [host](DialogId d, int) { host->EndDialog(d, 0); }});
  return host->ShowModal(dialog) == kIdOk;
}

}  // namespace ptpdiag
