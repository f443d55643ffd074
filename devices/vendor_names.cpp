#include "devices/vendor_names.h"

#include "core/text_utils.h"
#include "devices/vendor_rules.h"

namespace tav {

namespace {

using vendor_rules::Condition;
using vendor_rules::Rule;
using vendor_rules::Test;

bool Holds(const Condition& c, std::string_view text) {
  switch (c.test) {
    case Test::kStartsWith: return StartsWith(text, c.text);
    case Test::kContains: return Contains(text, c.text);
    case Test::kIs: return text == c.text;
  }
  return false;
}

bool Matches(const Rule& rule, std::string_view text) {
  for (const Condition& c : rule.conditions) {
    const bool holds = Holds(c, text);
    if (rule.all && !holds) return false;
    if (!rule.all && holds) return true;
  }
  return rule.all;
}

// Cuts the text before the first occurrence of the separator, when there is one.
void CutBefore(std::string* text, char separator) {
  const size_t at = text->find(separator);
  if (at != std::string::npos) text->resize(at);
}

std::string FirstWord(std::string text) {
  text = Trim(ReplaceAll(text, "\"", ""));
  for (const char* bracket : {"(", ")", "{", "}"}) text = ReplaceAll(text, bracket, " ");
  text = ReplaceAll(text, "MFG.", "");
  for (char separator : {' ', '.', ',', '-', '_', ';', '=', '&'}) CutBefore(&text, separator);
  text = Trim(text);
  for (const char* noise : {"MFG", "MFC", "DEVICE", "FILTER", "MODELS", "MODEL", "MODE"}) {
    text = ReplaceAll(text, noise, "");
  }
  return text;
}

std::string CheckResult(std::string text) {
  if (text.size() < 2) return {};
  for (unsigned char c : text) {
    if (c > 122) return {};
  }
  return text;
}

}  // namespace

std::string NormalizeVendor(std::string_view name) {
  const std::string trimmed = Trim(name);
  if (trimmed.empty()) return {};
  const std::string upper = ToUpperAscii(trimmed);
  for (const Rule& rule : vendor_rules::FirstMatchRules()) {
    if (Matches(rule, rule.raw ? trimmed : upper)) return CheckResult(std::string(rule.result));
  }
  std::string text = FirstWord(upper);
  bool previous_matched = false;
  for (const Rule& rule : vendor_rules::ReplacementRules()) {
    if (rule.otherwise && previous_matched) {
      previous_matched = false;
      continue;
    }
    previous_matched = Matches(rule, text);
    if (previous_matched) text = rule.result;
  }
  return CheckResult(text);
}

std::string ChooseVendor(std::string_view manufacturer, std::string_view provider) {
  std::string vendor = NormalizeVendor(manufacturer);
  return vendor.empty() ? NormalizeVendor(provider) : vendor;
}

}  // namespace tav
