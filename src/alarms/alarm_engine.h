// The alarm rules checked once a tick. A figure on the bad side of its
// threshold for the rule's hold raises the alarm; once raised, it clears as
// soon as the figure reaches the clear threshold. A figure that is not
// known this tick (no level without frames) neither raises nor clears.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "alarms/alarm_rules.h"

namespace ptpdiag {

// Each figure this tick, where known.
struct AlarmInputs {
  std::array<std::optional<double>, 9> Values{};
  std::optional<double>& operator[](AlarmFigure f) { return Values[static_cast<std::size_t>(f)]; }
  const std::optional<double>& operator[](AlarmFigure f) const {
    return Values[static_cast<std::size_t>(f)];
  }
};

struct AlarmTransition {
  std::size_t Rule = 0;  // index into the rules
  bool Raised = false;   // else cleared
  std::int64_t Ms = 0;   // the tick's session time
  double Value = 0;      // the figure that did it
};

class AlarmEngine {
 public:
  explicit AlarmEngine(std::vector<AlarmRule> rules = DefaultAlarmRules());

  // Checks every rule at tick `ms`; the transitions of this tick, in the
  // rules' order.
  const std::vector<AlarmTransition>& Check(const AlarmInputs& inputs, std::int64_t ms);

  const std::vector<AlarmRule>& Rules() const { return rules_; }
  // Whether ticks without data could still raise an alarm: a no-data rule
  // not raised yet, or a hold under way. A replay ticks through silence
  // while this holds, where it would otherwise skip to the next data.
  bool MayChangeWithoutData() const;
  // The transitions of the last Check.
  const std::vector<AlarmTransition>& LastTick() const { return now_; }
  bool Active(std::size_t rule) const { return states_[rule].Active; }
  std::uint64_t Transitions(std::size_t rule) const { return states_[rule].Transitions; }
  // The transitions of the session, oldest first: the latest 10,000, so a
  // flapping alarm over weeks cannot grow without bound.
  const std::vector<AlarmTransition>& History() const { return history_; }
  std::uint64_t HistoryDropped() const { return historyDropped_; }
  void Reset();

 private:
  struct State {
    bool Active = false;
    std::optional<std::int64_t> BadSinceMs;
    std::uint64_t Transitions = 0;
  };
  static bool Bad(const AlarmRule& rule, double value);
  static bool Cleared(const AlarmRule& rule, double value);

  std::vector<AlarmRule> rules_;
  std::vector<State> states_;
  std::vector<AlarmTransition> now_;
  std::vector<AlarmTransition> history_;
  std::uint64_t historyDropped_ = 0;
};

// One raise of an alarm and the clear that followed it (none while raised).
struct AlarmSpell {
  std::size_t Rule = 0;
  AlarmTransition Raised;
  std::optional<AlarmTransition> Cleared;
};

// The session's spells, oldest raise first.
std::vector<AlarmSpell> AlarmSpells(const AlarmEngine& alarms);

}  // namespace ptpdiag
