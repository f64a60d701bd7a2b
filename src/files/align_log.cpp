#include "files/align_log.h"

#include "files/csv_text.h"
#include "state/civil_time.h"

namespace ptpdiag {
namespace {

std::string Cell(const std::optional<double>& v) {
  return v ? "," + Decimal(*v, 2) : ",";
}

}  // namespace

std::string AlignLogHeader() {
  return "time,ms,level_dbm,raw_dbm,snr_db,good_pct,peak_dbm,best_dbm,tone_hz\r\n";
}

std::string AlignTime(std::int64_t ms, const Clock& zone, const LocalDateTime& origin) {
  return IsoTime(ZonedAfter(zone, origin, ms / 1000));
}

std::string AlignLogRow(const AlignmentFigures& f, const ToneState& tone, const Clock& zone,
                        const LocalDateTime& origin) {
  std::string row = AlignTime(f.Ms, zone, origin) + "," + std::to_string(f.Ms);
  row += Cell(f.LevelDbm) + Cell(f.RawDbm) + Cell(f.SnrDb) + Cell(f.GoodPct) + Cell(f.PeakDbm) +
         Cell(f.BestDbm);
  return row + "," + Decimal(tone.Hz, 1) + "\r\n";
}

}  // namespace ptpdiag
