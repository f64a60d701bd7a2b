#include "alarms/alarm_engine.h"

#include <cmath>

namespace ptpdiag {
namespace {

constexpr std::size_t kMaxHistory = 10000;

}  // namespace

AlarmEngine::AlarmEngine(std::vector<AlarmRule> rules)
    : rules_(std::move(rules)), states_(rules_.size()) {}

void AlarmEngine::Reset() {
  states_.assign(rules_.size(), State{});
  now_.clear();
  history_.clear();
  historyDropped_ = 0;
}

bool AlarmEngine::MayChangeWithoutData() const {
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const State& state = states_[i];
    if (state.Active) continue;
    if (state.BadSinceMs || rules_[i].Figure == AlarmFigure::SecondsWithoutData) return true;
  }
  return false;
}

bool AlarmEngine::Bad(const AlarmRule& rule, double value) {
  return rule.Direction == AlarmDirection::Below ? value < rule.Threshold : value > rule.Threshold;
}

bool AlarmEngine::Cleared(const AlarmRule& rule, double value) {
  return rule.Direction == AlarmDirection::Below ? value >= rule.Clear : value <= rule.Clear;
}

const std::vector<AlarmTransition>& AlarmEngine::Check(const AlarmInputs& inputs, std::int64_t ms) {
  now_.clear();
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const AlarmRule& rule = rules_[i];
    State& state = states_[i];
    const std::optional<double>& value = inputs[rule.Figure];
    if (!value || !std::isfinite(*value)) continue;
    if (state.Active) {
      if (Cleared(rule, *value)) {
        state.Active = false;
        state.BadSinceMs.reset();
        now_.push_back({i, false, ms, *value});
      }
      continue;
    }
    if (!Bad(rule, *value)) {
      state.BadSinceMs.reset();
      continue;
    }
    if (!state.BadSinceMs) state.BadSinceMs = ms;
    if (static_cast<double>(ms - *state.BadSinceMs) >= rule.HoldSeconds * 1000.0) {
      state.Active = true;
      now_.push_back({i, true, ms, *value});
    }
  }
  for (const AlarmTransition& t : now_) {
    ++states_[t.Rule].Transitions;
    history_.push_back(t);
  }
  if (history_.size() > kMaxHistory) {
    const std::size_t excess = history_.size() - kMaxHistory;
    history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(excess));
    historyDropped_ += excess;
  }
  return now_;
}

std::vector<AlarmSpell> AlarmSpells(const AlarmEngine& alarms) {
  std::vector<AlarmSpell> spells;
  std::vector<std::optional<std::size_t>> open(alarms.Rules().size());
  for (const AlarmTransition& t : alarms.History()) {
    if (t.Raised) {
      open[t.Rule] = spells.size();
      spells.push_back({t.Rule, t, std::nullopt});
    } else if (open[t.Rule]) {
      spells[*open[t.Rule]].Cleared = t;
      open[t.Rule].reset();
    }
  }
  return spells;
}

}  // namespace ptpdiag
