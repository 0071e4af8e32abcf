// A JSON document written one member at a time, so that a list as long as a client's employees
// never has to be held whole. One sequence of calls describes a document; the writer decides what
// it becomes: a value in memory (JsonTree), the text nlohmann's dump(2) gives for that value
// (JsonText), or one row per leaf with its dotted key (JsonRows) for tables and CSV.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace qreport {

class JsonOut {
 public:
  using Json = nlohmann::ordered_json;
  virtual ~JsonOut() = default;

  // Opens an object (or a list, with `list`) as the member `key` of the object open now, as the
  // next item of the list open now (`key` unused), or as the document when nothing is open.
  virtual void Open(std::string_view key, bool list) = 0;
  // Closes what the last Open opened that is still open.
  virtual void Close() = 0;
  // A whole value, placed as Open places an object.
  virtual void Put(std::string_view key, Json value) = 0;

  void OpenObject(std::string_view key = {}) { Open(key, false); }
  void OpenList(std::string_view key) { Open(key, true); }
  void Item(Json value) { Put({}, std::move(value)); }
};

// The document as a value in memory.
class JsonTree final : public JsonOut {
 public:
  void Open(std::string_view key, bool list) override;
  void Close() override;
  void Put(std::string_view key, Json value) override;
  // The document once every Open is closed.
  Json Take() { return std::move(root_); }

 private:
  Json* Place(std::string_view key, Json value);

  Json root_;
  std::vector<Json*> open_;
};

// The document as text, byte for byte what Json::dump(2, ' ', false, errors) writes for the value
// JsonTree would make of the same calls (the caller adds the final line break). Text that is not
// UTF-8 throws as dump does, unless `errors` says otherwise.
class JsonText final : public JsonOut {
 public:
  explicit JsonText(std::ostream& out, Json::error_handler_t errors = Json::error_handler_t::strict);
  void Open(std::string_view key, bool list) override;
  void Close() override;
  void Put(std::string_view key, Json value) override;

 private:
  // Adds to `text` the separator, the indent and the key of the next value.
  void Begin(std::string_view key, std::string& text);

  struct Frame {
    bool list;
    bool empty = true;
  };
  std::ostream& out_;
  Json::error_handler_t errors_;
  std::vector<Frame> open_;
};

// The document's leaves as rows: `row` gets each leaf (a number, text, true/false or null) with
// its key, the member names from the document down joined by "." and list items numbered from 1
// ("worksheet.employees.2.name"). Empty objects and lists make no row.
class JsonRows final : public JsonOut {
 public:
  using Row = std::function<void(const std::string& key, const Json& leaf)>;
  explicit JsonRows(Row row) : row_(std::move(row)) {}
  void Open(std::string_view key, bool list) override;
  void Close() override;
  void Put(std::string_view key, Json value) override;

 private:
  std::string KeyOf(std::string_view name);
  void Rows(const Json& value, const std::string& key);

  struct Frame {
    std::string key;
    bool list;
    std::size_t items = 0;
  };
  Row row_;
  std::vector<Frame> open_;
};

}  // namespace qreport
