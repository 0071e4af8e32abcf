#include "json/client_schema.h"

#include <map>
#include <utility>

#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/schema.hpp>
#include <valijson/schema_parser.hpp>
#include <valijson/validation_results.hpp>
#include <valijson/validator.hpp>

#include "json/document_rules.h"

namespace qreport {
namespace {

using Json = nlohmann::json;

// The schema, parsed once: its JSON (for wording messages) and valijson's form of it.
class ClientSchema {
 public:
  ClientSchema() : json_(Json::parse(kClientSchemaText)) {
    valijson::SchemaParser parser;
    valijson::adapters::NlohmannJsonAdapter adapter(json_);
    parser.populateSchema(adapter, schema_);
  }
  ClientSchema(const ClientSchema&) = delete;
  ClientSchema& operator=(const ClientSchema&) = delete;

  const Json& json() const { return json_; }
  const valijson::Schema& schema() const { return schema_; }

 private:
  Json json_;
  valijson::Schema schema_;
};

const ClientSchema& TheSchema() {
  static const ClientSchema schema;
  return schema;
}

// The node a "$ref" names ("#/definitions/NAME"), followed until a node that is no reference.
const Json* Resolve(const Json& root, const Json* node) {
  for (int hops = 0; node != nullptr && node->is_object() && node->contains("$ref"); ++hops) {
    const std::string& ref = (*node)["$ref"].get_ref<const std::string&>();
    if (hops == 8 || ref.empty() || ref[0] != '#') return nullptr;
    Json::json_pointer pointer(ref.substr(1));
    node = root.contains(pointer) ? &root.at(pointer) : nullptr;
  }
  return node;
}

// The schema node that rules the value at `steps` of a document (through "properties" and
// "items"), or nullptr.
const Json* SchemaNodeAt(const Json& root, const std::vector<std::string>& steps) {
  const Json* node = Resolve(root, &root);
  for (const std::string& step : steps) {
    if (node == nullptr || !node->is_object()) return nullptr;
    const Json* next = nullptr;
    if (auto properties = node->find("properties"); properties != node->end() && properties->contains(step)) {
      next = &(*properties)[step];
    } else if (auto items = node->find("items"); items != node->end() && items->is_object()) {
      next = &*items;
    }
    node = Resolve(root, next);
  }
  return node;
}

// The value at `steps` of the document, or nullptr.
const Json* ValueAt(const Json& document, const std::vector<std::string>& steps) {
  const Json* value = &document;
  for (const std::string& step : steps) {
    if (value->is_object()) {
      auto found = value->find(step);
      if (found == value->end()) return nullptr;
      value = &*found;
    } else if (value->is_array() && !step.empty() && step.find_first_not_of("0123456789") == std::string::npos &&
               step.size() < 10 && std::stoul(step) < value->size()) {
      value = &(*value)[std::stoul(step)];
    } else {
      return nullptr;
    }
  }
  return value;
}

// What one JSON type of a node asks for, with the node's limits.
std::string TypeWords(const std::string& type, const Json& node) {
  auto has = [&](const char* key) { return node.contains(key); };
  if (type == "integer") {
    if (has("minimum") && has("maximum")) return "a whole number from " + node["minimum"].dump() + " to " + node["maximum"].dump();
    return "a whole number";
  }
  if (type == "string") return has("maxLength") ? "a text of at most " + node["maxLength"].dump() + " bytes" : "a text";
  if (type == "array") return has("maxItems") ? "a list of at most " + node["maxItems"].dump() + " items" : "a list";
  if (type == "object") return "an object";
  if (type == "boolean") return "true or false";
  if (type == "null") return "null";
  return "a " + type;
}

// What a node asks for, in words: its title when it has one (the schema words its own
// definitions where the types alone say too little), its constant, else its types and limits.
std::string Expected(const Json& node) {
  if (auto title = node.find("title"); title != node.end() && title->is_string()) return title->get<std::string>();
  if (auto constant = node.find("const"); constant != node.end()) return Excerpt(constant->dump());
  Json types = node.value("type", Json());
  if (types.is_string()) types = Json::array({types});
  std::string words;
  for (const Json& type : types) {
    if (!type.is_string()) continue;
    words += (words.empty() ? "" : " or ") + TypeWords(type.get<std::string>(), node);
  }
  return words.empty() ? "a value the schema allows" : words;
}

// The kinds of problem a message is worded for; every other failure of a value is kOther.
enum class Problem { kUnknownKeys, kMissingKeys, kTooLong, kOther };

Problem ProblemOf(const std::string& description) {
  auto starts = [&](const char* prefix) { return description.rfind(prefix, 0) == 0; };
  if (starts("Object contains a property that could not be validated")) return Problem::kUnknownKeys;
  if (starts("Missing required property")) return Problem::kMissingKeys;
  if (starts("String should be no more than")) return Problem::kTooLong;
  return Problem::kOther;
}

// Failures that only repeat, at a containing value, a failure already reported inside it.
bool IsEnclosing(const std::string& description) {
  return description.rfind("Failed to validate against schema associated with property", 0) == 0 ||
         description.rfind("Failed to validate item #", 0) == 0;
}

// The lines of one problem at `steps` (`pointer` written out) of the document.
void Describe(Problem problem, const Json& document, const std::vector<std::string>& steps, const std::string& pointer,
              const std::string& at, std::vector<std::string>& lines) {
  const Json* node = SchemaNodeAt(TheSchema().json(), steps);
  const Json* value = ValueAt(document, steps);
  if (node == nullptr || value == nullptr) return;
  static const Json kNoProperties = Json::object();
  const Json& properties = node->contains("properties") ? (*node)["properties"] : kNoProperties;
  if (problem == Problem::kUnknownKeys && value->is_object()) {
    for (const auto& [key, item] : value->items()) {
      if (!properties.contains(key)) lines.push_back(at + pointer + "/" + PointerStep(key) + ": unknown key");
    }
  } else if (problem == Problem::kMissingKeys && value->is_object()) {
    for (const Json& key : node->value("required", Json::array())) {
      const std::string& name = key.get_ref<const std::string&>();
      if (value->contains(name)) continue;
      const Json* wanted = Resolve(TheSchema().json(), properties.contains(name) ? &properties[name] : nullptr);
      lines.push_back(at + pointer + "/" + PointerStep(name) + ": missing" + (wanted ? ": expected " + Expected(*wanted) : ""));
    }
  } else if (problem == Problem::kTooLong && value->is_string()) {
    const std::string& text = value->get_ref<const std::string&>();
    std::size_t characters = 0;  // each character is a byte of the field
    for (char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    lines.push_back(at + (pointer.empty() ? "/" : pointer) + ": \"" + Excerpt(text) + "\" is " + std::to_string(characters) +
                    " bytes; the field holds at most " + node->value("maxLength", Json()).dump());
  } else {
    lines.push_back(at + (pointer.empty() ? "/" : pointer) + ": expected " + Expected(*node) + ", got " + Excerpt(value->dump()));
  }
}

}  // namespace

std::string PointerStep(std::string_view key) {
  std::string step;
  for (char c : Excerpt(key)) {
    if (c == '~') step += "~0";
    else if (c == '/') step += "~1";
    else step += c;
  }
  return step;
}

bool CheckClientDocumentSchema(const Json& document, const std::string& file, std::vector<std::string>& errors) {
  valijson::Validator validator(valijson::Validator::kStrongTypes);
  valijson::ValidationResults results;
  valijson::adapters::NlohmannJsonAdapter adapter(document);
  if (validator.validate(TheSchema().schema(), adapter, &results)) return true;
  // One message for each problem of each value, in the order the validator met them: a value
  // that fails several of its constraints (a type and a range, say) is one problem.
  std::map<std::pair<std::string, Problem>, bool> told;
  std::vector<std::string> lines;
  for (const valijson::ValidationResults::Error& error : results) {
    if (IsEnclosing(error.description)) continue;
    std::vector<std::string> steps;
    std::string pointer;
    for (std::size_t i = 1; i < error.context.size(); ++i) {  // context[0] is "<root>", then "[STEP]"
      const std::string& part = error.context[i];
      steps.push_back(part.size() >= 2 ? part.substr(1, part.size() - 2) : part);
      pointer += "/" + PointerStep(steps.back());
    }
    Problem problem = ProblemOf(error.description);
    if (told[{pointer, problem}]) continue;
    told[{pointer, problem}] = true;
    std::size_t before = lines.size();
    Describe(problem, document, steps, pointer, file + ": ", lines);
    if (lines.size() == before) lines.push_back(file + ": " + (pointer.empty() ? "/" : pointer) + ": " + error.description);
  }
  errors.insert(errors.end(), lines.begin(), lines.end());
  return false;
}

}  // namespace qreport
