// The vendor normalization rules, as data.
//
// First-match rules are tested in order on the trimmed name (the first two
// on the name as written, the rest upper-cased); the first that matches
// gives the result and normalization ends. Otherwise the name is cut to its
// first word, and the replacement rules run in order: each one that matches
// replaces the text, and the following rules test the replaced text; a rule
// marked `otherwise` applies only when the rule just before did not match.
#pragma once

#include <span>
#include <string_view>

namespace tav::vendor_rules {

enum class Test { kStartsWith, kContains, kIs };

struct Condition {
  Test test;
  std::string_view text;
};

struct Rule {
  std::string_view result;
  // All conditions must hold (true) or any one of them (false).
  bool all;
  std::span<const Condition> conditions;
  bool otherwise = false;
  // Tested on the name as written rather than upper-cased.
  bool raw = false;
};

std::span<const Rule> FirstMatchRules();
std::span<const Rule> ReplacementRules();

}  // namespace tav::vendor_rules
