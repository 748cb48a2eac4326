#include "ridirodev/facade/dispatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ridirodev {
namespace {

// The checked-in listing, block by block, under each block's first line ("class CField").
std::map<std::string, std::string> ListingBlocks(std::vector<std::string>* order = nullptr) {
  std::ifstream in(RIDIRODEV_CATALOGUE_LISTING);
  std::stringstream text;
  text << in.rdbuf();
  std::map<std::string, std::string> blocks;
  std::string block, line;
  auto close = [&] {
    if (block.empty()) return;
    const std::string head = block.substr(0, block.find('\n'));
    blocks[head] = block;
    if (order) order->push_back(head);
    block.clear();
  };
  while (std::getline(text, line)) {
    if (line.empty()) {
      close();
    } else {
      block += line + "\n";
    }
  }
  close();
  return blocks;
}

TEST(CatalogueTest, DeclaredBlocksMatchTheListing) {
  const auto blocks = ListingBlocks();
  ASSERT_FALSE(blocks.empty()) << "no listing at " << RIDIRODEV_CATALOGUE_LISTING;
  const Catalogue& c = Catalogue::Instance();
  auto check = [&](const std::string& described) {
    const std::string head = described.substr(0, described.find('\n'));
    const auto listed = blocks.find(head);
    ASSERT_NE(listed, blocks.end()) << head << " is not in the listing";
    EXPECT_EQ(described, listed->second);
  };
  for (const ClassInfo& cls : c.Classes()) check(DescribeClass(cls));
  for (const EventInterfaceInfo& e : c.EventInterfaces()) {
    if (!e.events.empty()) check(DescribeEvents(e));  // declared with its class
  }
  for (const EnumInfo& e : c.Enums()) check(DescribeEnum(e));
}

}  // namespace
}  // namespace ridirodev
