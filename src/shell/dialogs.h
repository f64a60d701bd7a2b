// The input dialogs the commands use: the serial port list, the one-line
// text dialogs and the About box. Each is built at run time on the current
// window's dialog host; an accepted dialog leaves its text in DialogText.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ptpdiag {

struct AppContext;
class DialogHost;

inline constexpr int kCommPortListId = 5555;
inline constexpr int kDialogTextBoxId = 100;

// Where the dialog `caption` is built; nothing, said where it cannot be.
DialogHost* DialogHostFor(AppContext& app, std::string_view caption);

// "Select Comm Port": the list "Com1".."Com8" with the current port
// (CommPortName) selected and a Cancel button. A selection change or a
// double click accepts at once. Returns the chosen name (also left in
// DialogText); nothing when cancelled or when the window has no dialogs.
std::optional<std::string> AskCommPort(AppContext& app);

// A text box showing `initialText`, with OK (default) and Cancel. Returns
// the text as it stands when OK is pressed, empty or not (also left in
// DialogText); nothing when cancelled or when the window has no dialogs.
std::optional<std::string> AskText(AppContext& app, const std::string& caption,
                                   const std::string& initialText);

// The About box, when the window has dialogs.
void ShowAbout(AppContext& app);

}  // namespace ptpdiag
