#include "screens/alarm_line.h"

#include "screens/text_grid.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr Rgb kAlarmRed{208, 0, 0};
constexpr float kAlarmRow = 32.5F;

}  // namespace

std::string AlarmLineText(const AppContext& app) {
  std::string text;
  const auto& rules = app.Alarms.Rules();
  for (std::size_t i = 0; i < rules.size(); ++i) {
    if (!app.Alarms.Active(i)) continue;
    text += text.empty() ? "ALARM " : ", ";
    text += rules[i].Name;
  }
  if (text.size() > kAlarmLineColumns) text = text.substr(0, kAlarmLineColumns - 3) + "...";
  return text;
}

void DrawAlarmLine(AppContext& app) {
  WindowState& w = app.Window;
  const std::string text = AlarmLineText(app);
  if (text.empty() && !w.AlarmLineShown) return;
  const Rgb colour = w.ScreenDC.TextColor();
  w.ScreenDC.SetTextColor(kAlarmRed);
  PrintAt(w, kAlarmRow, 1, text + std::string(kAlarmLineColumns - text.size(), ' '));
  w.ScreenDC.SetTextColor(colour);
  w.AlarmLineShown = !text.empty();
}

}  // namespace ptpdiag
