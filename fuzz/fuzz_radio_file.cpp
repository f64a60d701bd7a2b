// Any file opened as a radio file, then saved and opened again: the second
// open must give back what the first one loaded (or the save must refuse
// with a reason), whatever the bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "files/radio_file.h"
#include "state/radio_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ptpdiag;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const RadioFileContents first = ParseRadioFile(bytes);
  RadioList list;
  ResetRadioList(list);
  list.RadioCount = static_cast<std::int32_t>(first.Records.size());
  for (std::size_t i = 0; i < first.Records.size(); ++i) {
    list.RadioSerial[i + 1] = first.Records[i].Serial;
    list.RadioRepeaterNumber[i + 1] = first.Records[i].Repeater;
    list.RadioName[i + 1] = first.Records[i].Name;
  }
  const std::string address = first.Address.value_or("");
  const std::string port = first.Port.value_or("");
  const auto saved = FormatRadioFile(address, port, list);
  if (std::holds_alternative<RadioFileRefusal>(saved)) {
    if (std::get<RadioFileRefusal>(saved).Reason.empty()) std::abort();  // a refusal says why
    return 0;
  }
  const RadioFileContents second = ParseRadioFile(std::get<std::string>(saved));
  if (second.Records.size() != first.Records.size()) std::abort();
  for (std::size_t i = 0; i < first.Records.size(); ++i) {
    const RadioRecord& a = first.Records[i];
    const RadioRecord& b = second.Records[i];
    if (a.Serial != b.Serial || a.Repeater != b.Repeater || a.Name != b.Name) std::abort();
  }
  if (!address.empty() && second.Address != address) std::abort();
  if (!address.empty() && !port.empty() && second.Port.value_or("") != port &&
      second.Port.value_or("") != " " + port) {
    std::abort();
  }
  return 0;
}
