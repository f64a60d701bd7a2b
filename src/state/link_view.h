// What a timer tick shows of the link while the tick runs. The link layer
// draws nothing: it tells the view installed in LinkState::View (the
// tick's drawing, for the tick's length) as things happen, so the picture
// follows the order in which they happened.
#pragma once

namespace ptpdiag {

class LinkView {
 public:
  virtual ~LinkView() = default;
  // A link event was just counted.
  virtual void LinkEventCounted() = 0;
  // Byte `byte` of a frame was taken for cell `cell` (1..8) of the
  // raw-data row.
  virtual void RawByteTaken(int cell, int byte) = 0;
  // An event came while bytes were being taken: the bytes taken so far,
  // then the event line over them.
  virtual void EventAmongRawBytes() = 0;
  // The frames are taken: the bytes not shown yet.
  virtual void RawBytesDone() = 0;
};

}  // namespace ptpdiag
