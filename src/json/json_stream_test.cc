// A document written member by member is the document made in memory: JsonText writes the bytes
// dump(2) writes for the value JsonTree makes of the same calls, whatever the nesting, and
// JsonRows names each leaf by its path.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "json/json_stream.h"

namespace qreport {
namespace {

using Json = JsonOut::Json;

TEST(JsonStream, TextIsTheDumpOfTheSameDocument) {
  struct Case {
    const char* what;
    std::function<void(JsonOut&)> write;
  } cases[] = {
      {"an empty document", [](JsonOut& o) { o.OpenObject(); o.Close(); }},
      {"empty members opened and put",
       [](JsonOut& o) {
         o.OpenObject();
         o.OpenList("opened list");
         o.Close();
         o.OpenObject("opened object");
         o.Close();
         o.Put("put list", Json::array());
         o.Put("put object", Json::object());
         o.Close();
       }},
      {"a list of objects three deep, some items put whole",
       [](JsonOut& o) {
         o.OpenObject();
         o.Put("first", 1);
         o.OpenObject("outer");
         o.OpenList("items");
         for (int i = 0; i < 3; ++i) o.Item({{"n", i}, {"inner", {1, 2, {{"deep", nullptr}}}}, {"none", Json::array()}});
         o.OpenObject();
         o.Put("opened item", true);
         o.Close();
         o.OpenList({});
         o.Item(Json::array());
         o.Close();
         o.Close();
         o.Close();
         o.Put("last", -2.5);
         o.Close();
       }},
      {"texts that dump escapes",
       [](JsonOut& o) {
         o.OpenObject();
         o.Put("line\nbreak key", "two\nlines \"quoted\" \\ back");
         o.Put("control", std::string("a\x01z\x7f", 4));
         o.Put("latin", "caf\xc3\xa9");
         o.OpenList("with breaks");
         o.Item({{"x", "1\r\n2"}});
         o.Close();
         o.Close();
       }},
      {"numbers", [](JsonOut& o) {
         o.OpenObject();
         o.Put("cents", Json(std::int64_t{-214748364899}));
         o.Put("big", Json(std::uint64_t{18446744073709551615u}));
         o.Put("rate", 6.2);
         o.Put("tiny", 1e-300);
         o.Close();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    JsonTree tree;
    c.write(tree);
    std::ostringstream text;
    JsonText streamed(text);
    c.write(streamed);
    EXPECT_EQ(text.str(), tree.Take().dump(2));
  }
}

TEST(JsonStream, TextThatIsNotUtf8ThrowsUnlessReplaced) {
  std::ostringstream strict_text;
  JsonText strict(strict_text);
  strict.OpenObject();
  EXPECT_THROW(strict.Put("name", "\xff"), Json::type_error);

  std::ostringstream replaced_text;
  JsonText replaced(replaced_text, Json::error_handler_t::replace);
  replaced.OpenObject();
  replaced.Put("name", "\xff");
  replaced.Close();
  EXPECT_EQ(replaced_text.str(), "{\n  \"name\": \"\xef\xbf\xbd\"\n}");
}

TEST(JsonStream, RowsNameEachLeafByItsPath) {
  std::vector<std::string> rows;
  JsonRows out([&rows](const std::string& key, const Json& leaf) { rows.push_back(key + "=" + leaf.dump()); });
  out.OpenObject();
  out.Put("year", 2026);
  out.OpenObject("worksheet");
  out.OpenList("employees");
  out.Item({{"key", "A1"}, {"amounts", {5, 6}}});
  out.OpenObject();
  out.Put("key", "B2");
  out.Close();
  out.Close();
  out.Put("empty", Json::array());
  out.Close();
  out.Put("voucher", nullptr);
  out.Close();
  EXPECT_EQ(rows, (std::vector<std::string>{"year=2026", "worksheet.employees.1.key=\"A1\"",
                                            "worksheet.employees.1.amounts.1=5", "worksheet.employees.1.amounts.2=6",
                                            "worksheet.employees.2.key=\"B2\"", "voucher=null"}));
}

}  // namespace
}  // namespace qreport
