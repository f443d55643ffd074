#include "tools/service/faults.h"

#include <fstream>
#include <sstream>

namespace tav::service {

namespace {

thread_local FaultRule t_request_fault;

bool ParseRule(const nlohmann::json& item, FaultRule* rule, std::string* error) {
  if (!item.is_object() || !item.contains("path") || !item["path"].is_string()) {
    *error = "every rule needs a \"path\" text";
    return false;
  }
  rule->path = item["path"].get<std::string>();
  rule->method = item.value("method", std::string());
  rule->times = item.value("times", int64_t{-1});
  rule->delay_ms = item.value("delay_ms", 0);
  rule->delay_after = item.value("delay_after", int64_t{-1});
  rule->status = item.value("status", 0);
  rule->drop_after = item.value("drop_after", int64_t{-1});
  rule->no_content_length = item.value("no_content_length", false);
  rule->corrupt = item.value("corrupt", false);
  return true;
}

nlohmann::json RuleJson(const FaultRule& rule) {
  nlohmann::json item = {{"path", rule.path}};
  if (!rule.method.empty())
    item["method"] = rule.method;
  if (rule.times >= 0)
    item["times"] = rule.times;
  if (rule.delay_ms > 0)
    item["delay_ms"] = rule.delay_ms;
  if (rule.delay_after >= 0)
    item["delay_after"] = rule.delay_after;
  if (rule.status > 0)
    item["status"] = rule.status;
  if (rule.drop_after >= 0)
    item["drop_after"] = rule.drop_after;
  if (rule.no_content_length)
    item["no_content_length"] = true;
  if (rule.corrupt)
    item["corrupt"] = true;
  return item;
}

}  // namespace

bool FaultSet::Replace(const nlohmann::json& faults, std::string* error) {
  if (!faults.is_object() || !faults.contains("rules") || !faults["rules"].is_array()) {
    *error = "a faults text is an object with a \"rules\" array";
    return false;
  }
  std::vector<FaultRule> rules;
  try {
    for (const nlohmann::json& item : faults["rules"]) {
      FaultRule rule;
      if (!ParseRule(item, &rule, error))
        return false;
      rules.push_back(rule);
    }
  } catch (const nlohmann::json::exception& e) {
    *error = std::string("a rule has a value of the wrong type: ") + e.what();
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  rules_ = std::move(rules);
  return true;
}

bool FaultSet::LoadFile(const std::string& path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read the faults file " + path;
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  const nlohmann::json faults = nlohmann::json::parse(text.str(), nullptr, false);
  if (faults.is_discarded()) {
    *error = "the faults file is not valid JSON: " + path;
    return false;
  }
  return Replace(faults, error);
}

nlohmann::json FaultSet::ToJson() const {
  std::lock_guard<std::mutex> lock(mutex_);
  nlohmann::json rules = nlohmann::json::array();
  for (const FaultRule& rule : rules_)
    rules.push_back(RuleJson(rule));
  return {{"rules", rules}};
}

std::optional<FaultRule> FaultSet::Take(const std::string& method, const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (FaultRule& rule : rules_) {
    if (rule.path != path || rule.times == 0)
      continue;
    if (!rule.method.empty() && rule.method != method)
      continue;
    if (rule.times > 0)
      --rule.times;
    return rule;
  }
  return std::nullopt;
}

void SetRequestFault(const std::optional<FaultRule>& rule) {
  t_request_fault = rule.value_or(FaultRule());
}

const FaultRule& RequestFault() {
  return t_request_fault;
}

}  // namespace tav::service
