#include "json/json_stream.h"

#include <stdexcept>

namespace qreport {

using Json = JsonOut::Json;

void JsonTree::Open(std::string_view key, bool list) {
  open_.push_back(Place(key, list ? Json::array() : Json::object()));
}

void JsonTree::Close() {
  if (open_.empty()) throw std::logic_error("JsonTree: Close without Open");
  open_.pop_back();
}

void JsonTree::Put(std::string_view key, Json value) { Place(key, std::move(value)); }

// Only the innermost open value grows, so the pointers to the ones around it stay valid.
Json* JsonTree::Place(std::string_view key, Json value) {
  if (open_.empty()) {
    root_ = std::move(value);
    return &root_;
  }
  Json& parent = *open_.back();
  if (parent.is_array()) {
    parent.push_back(std::move(value));
    return &parent.back();
  }
  Json& member = parent[std::string(key)];
  member = std::move(value);
  return &member;
}

JsonText::JsonText(std::ostream& out, Json::error_handler_t errors) : out_(out), errors_(errors) {}

// Each value goes out in one write: small writes through a stream synced with C's are slow.
void JsonText::Begin(std::string_view key, std::string& text) {
  if (open_.empty()) return;
  Frame& parent = open_.back();
  text += parent.empty ? "\n" : ",\n";
  parent.empty = false;
  text.append(2 * open_.size(), ' ');
  if (!parent.list) {
    text += Json(std::string(key)).dump(-1, ' ', false, errors_);
    text += ": ";
  }
}

void JsonText::Open(std::string_view key, bool list) {
  std::string text;
  Begin(key, text);
  text += list ? '[' : '{';
  out_ << text;
  open_.push_back({list});
}

void JsonText::Close() {
  if (open_.empty()) throw std::logic_error("JsonText: Close without Open");
  const Frame frame = open_.back();
  open_.pop_back();
  std::string text;
  if (!frame.empty) {
    text += '\n';
    text.append(2 * open_.size(), ' ');
  }
  text += frame.list ? ']' : '}';
  out_ << text;
}

void JsonText::Put(std::string_view key, Json value) {
  std::string text;
  Begin(key, text);
  // dump indents from the left margin; text never holds a raw line break (dump escapes it), so
  // every line break of the dump is one to indent by the depth the value sits at.
  const std::string dumped = value.dump(2, ' ', false, errors_);
  text.reserve(text.size() + dumped.size() + dumped.size() / 8);
  for (char c : dumped) {
    text += c;
    if (c == '\n') text.append(2 * open_.size(), ' ');
  }
  out_ << text;
}

std::string JsonRows::KeyOf(std::string_view name) {
  if (open_.empty()) return {};
  Frame& parent = open_.back();
  std::string own = parent.list ? std::to_string(++parent.items) : std::string(name);
  return parent.key.empty() ? own : parent.key + "." + own;
}

void JsonRows::Open(std::string_view key, bool list) { open_.push_back({KeyOf(key), list}); }

void JsonRows::Close() {
  if (open_.empty()) throw std::logic_error("JsonRows: Close without Open");
  open_.pop_back();
}

void JsonRows::Put(std::string_view key, Json value) { Rows(value, KeyOf(key)); }

void JsonRows::Rows(const Json& value, const std::string& key) {
  if (value.is_object()) {
    for (const auto& [name, member] : value.items()) Rows(member, key.empty() ? name : key + "." + name);
  } else if (value.is_array()) {
    for (std::size_t i = 0; i < value.size(); ++i) Rows(value[i], key + "." + std::to_string(i + 1));
  } else {
    row_(key, value);
  }
}

}  // namespace qreport
