#include "shell/keyboard.h"

#include "platform/virtual_keys.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

void Repaint(AppContext& app, bool erase) {
  RefreshClientRect(app.Window);
  RepaintNow(app.Window, erase);
}

// Screen 3 draws over what is there when the selection moves.
void NavigationRepaint(AppContext& app) {
  Repaint(app, app.Window.ScreenNumber != 3);
}

bool ListsRadios(const AppContext& app) {
  return app.Window.ScreenNumber == 2 || app.Window.ScreenNumber == 3;
}

void StepUp(AppContext& app) {
  RadioList& r = app.Radios;
  if (ListsRadios(app) && --r.SelectedRadio < 0) r.SelectedRadio = r.RadioCount;
  NavigationRepaint(app);
}

void StepDown(AppContext& app) {
  RadioList& r = app.Radios;
  if (ListsRadios(app) && ++r.SelectedRadio > r.RadioCount) r.SelectedRadio = 0;
  NavigationRepaint(app);
}

void PageUp(AppContext& app) {
  RadioList& r = app.Radios;
  if (ListsRadios(app)) {
    r.SelectedRadio -= app.Window.TableRowsVisible;
    if (r.SelectedRadio < 1) r.SelectedRadio = 0;
  }
  NavigationRepaint(app);
}

// N, S and M choose the waterfall's layer on the channel quality screen;
// elsewhere they repaint as other keys do.
void ShowLayer(AppContext& app, WaterfallLayer layer) {
  if (app.Window.ScreenNumber == 4) app.Window.QualityLayer = layer;
  Repaint(app, true);
}

// T, M and R on the alignment screen: the tone on or off, its next mode,
// the best level forgotten. M is the misses layer on screen 4.
void AlignmentKey(AppContext& app, char key) {
  if (key == 'T') app.ToneOn = !app.ToneOn;
  if (key == 'M') app.Tone.SetMode(NextToneMode(app.Tone.Settings().Mode));
  if (key == 'R') app.Alignment.ResetBest();
  Repaint(app, true);
}

void ShowScreen(AppContext& app, std::uint8_t screen) {
  app.Window.ScreenNumber = screen;
  Repaint(app, true);
}

}  // namespace

LRESULT OnKeyDown(AppContext& app, WPARAM key) {
  switch (key) {
    case VK_UP:
      StepUp(app);
      break;
    case VK_DOWN:
      StepDown(app);
      break;
    case VK_PRIOR:
      PageUp(app);
      break;
    case VK_A + ('C' - 'A'):
      ClearPeakNoise(app.Store);
      break;
    case VK_ESCAPE:
      // Ends at once, without the close routine: an open link stays open.
      app.Window.CurrentWindow->PostQuitMessage(0);
      break;
    case VK_0 + 1:
    case VK_0 + 2:
    case VK_0 + 3:
    case VK_0 + 4:
    case VK_0 + 5:
      ShowScreen(app, static_cast<std::uint8_t>(key - VK_0));
      break;
    case VK_A + ('W' - 'A'):
      break;
    case VK_A + ('N' - 'A'):
      ShowLayer(app, WaterfallLayer::Noise);
      break;
    case VK_A + ('S' - 'A'):
      ShowLayer(app, WaterfallLayer::Signal);
      break;
    case VK_A + ('M' - 'A'):
      if (app.Window.ScreenNumber == 5) {
        AlignmentKey(app, 'M');
      } else {
        ShowLayer(app, WaterfallLayer::Misses);
      }
      break;
    case VK_A + ('T' - 'A'):
    case VK_A + ('R' - 'A'):
      if (app.Window.ScreenNumber == 5) {
        AlignmentKey(app, static_cast<char>('A' + (key - VK_A)));
      } else {
        Repaint(app, true);
      }
      break;
    default:
      Repaint(app, true);
      break;
  }
  return 0;
}

LRESULT OnButtonDown(AppContext& app, bool left, LPARAM lParam) {
  const auto y = static_cast<std::int32_t>(HighWord(static_cast<std::uintptr_t>(lParam)));
  app.Window.ClickY = y;
  const std::int32_t top = app.Window.ClientRect.top;
  const std::int32_t bottom = app.Window.ClientRect.bottom;
  const std::int32_t rows = app.Window.TableRowsVisible;
  const bool upBand = top + 80 < y && y < top + 96;
  if (left && upBand) return OnKeyDown(app, VK_UP);
  if (left && top + 112 + 16 * rows < y && y < top + 126 + 16 * rows) {
    return OnKeyDown(app, VK_DOWN);
  }
  if (!left && upBand) return OnKeyDown(app, VK_PRIOR);
  if (!left && bottom - 76 < y && y < bottom - 60) return OnKeyDown(app, VK_NEXT);
  return 0;
}

}  // namespace ptpdiag
