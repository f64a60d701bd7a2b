#include "state/radio_list.h"

namespace ptpdiag {

void ResetRadioList(RadioList& list) {
  list.RadioFileName = "NONAME.RAD";
  list.RadioSerial.fill(0);
  list.RadioRepeaterNumber.fill(0);
  list.RadioCount = 0;
  for (auto& name : list.RadioName)
    name.fill(' ');
}

}  // namespace ptpdiag
