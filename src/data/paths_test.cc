// Which links of a folder lead outside a boundary: each kind of link in a folder of its own.
#include "data/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fixture.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(LinksLeaving, NamesTheLinksThatLeadOutOfTheBoundary) {
  TempDir work;
  const fs::path root = fs::canonical(work.path()) / "root";
  const fs::path outside = fs::canonical(work.path()) / "outside";
  fs::create_directories(root / "client");
  fs::create_directories(root / "shared");
  fs::create_directories(outside);
  std::ofstream(outside / "secret") << "not the client's";
  std::ofstream(root / "shared" / "rates") << "inside";
  std::ofstream(root / "client" / "EMPLOYEE") << "a plain file";
  // A link to a link that leads out.
  fs::create_symlink(outside / "secret", root / "shared" / "onward");

  struct Case {
    const char* what;
    fs::path target;
    bool leaves;
  } cases[] = {
      {"absolute, outside", outside / "secret", true},
      {"relative, outside", "../../outside/secret", true},
      {"to a folder outside", outside, true},
      {"to nothing outside", outside / "missing", true},
      {"through a link inside that leads out", "../shared/onward", true},
      {"to the boundary's parent", "../..", true},
      {"absolute, inside", root / "shared" / "rates", false},
      {"relative, inside", "../shared/rates", false},
      {"to a sibling in the folder", "EMPLOYEE", false},
      {"to nothing inside", "missing", false},
      {"round in a loop", "loop", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path link = root / "client" / "CLIENT";
    fs::remove(link);
    fs::create_symlink(c.target, link);
    if (c.target == "loop") {
      fs::remove(link);
      fs::create_symlink("CLIENT", link);
    }
    std::vector<std::string> expected;
    if (c.leaves) expected.push_back("CLIENT");
    EXPECT_EQ(LinksLeaving(root / "client", root), expected);
  }
  // The folder itself as the boundary: its links to anything beside it lead out.
  fs::remove(root / "client" / "CLIENT");
  fs::create_symlink("../shared/rates", root / "client" / "prep");
  fs::create_symlink("EMPLOYEE", root / "client" / "alias");
  EXPECT_EQ(LinksLeaving(root / "client", root / "client"), std::vector<std::string>{"prep"});
  EXPECT_EQ(LinksLeaving(root / "no-such-folder", root), std::vector<std::string>{});
}

}  // namespace
}  // namespace qreport
