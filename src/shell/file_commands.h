// The radio-file commands New, Open, Close and Save. The command dispatch
// calls them and returns its own result for each.
#pragma once

namespace ptpdiag {

struct AppContext;

// Empties the radio list ("NONAME.RAD") and resets the statistics, which
// repaints.
void FileNew(AppContext& app);

// Asks for a radio file and loads it: entries 1..n of the list, the count,
// and the address and port when the file has them; then resets the
// statistics (repainting) and returns true. Returns false with nothing
// changed and nothing repainted when the prompt is cancelled, and likewise
// after a message box when the file cannot be read. A file with more radios
// than the list holds loads the first ones and says so in a message box.
[[nodiscard]] bool FileOpen(AppContext& app);

// Shows the message "CLOSE selected"; nothing else changes.
void FileClose(AppContext& app);

// Asks for a file name and writes the address, port and list there,
// replacing any old file only once the new one is complete. A list that
// cannot be written as it is, or a failed write, is reported in a message
// box and leaves any old file unchanged. Repaints the whole window at the
// end, also when the prompt is cancelled.
void FileSave(AppContext& app);

}  // namespace ptpdiag
