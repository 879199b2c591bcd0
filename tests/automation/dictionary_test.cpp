#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "error_number.hpp"
#include "tamrel/dictionary.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;
using Texts = std::vector<std::string>;

Texts TextsOf(const std::vector<Variant>& values) {
  Texts texts;
  for (const Variant& value : values) texts.push_back(ConcatText(value));
  return texts;
}

TEST(DictionaryTest, KeepsInsertionOrderKeysAreCaseSensitiveAndReadingAddsThem) {
  Dictionary d;
  for (const char* key : {"b", "a", "k1", "k2", "k3", "K2"}) d.Add(key, Variant(key));
  d.Item("b", Variant(4));  // replacing keeps the place
  for (const char* key : {"k1", "k3", "b"}) d.Remove(key);
  d.Add("b", Variant(5));  // re-added keys go to the end
  EXPECT_TRUE(d.Item("ghost").IsEmpty());
  EXPECT_EQ(d.Keys(), (Texts{"a", "k2", "K2", "b", "ghost"}));
  EXPECT_EQ(TextsOf(d.Items()), (Texts{"a", "k2", "K2", "5", ""}));
  EXPECT_EQ(CStr(d.Item("k2")), "k2");
  EXPECT_EQ(ErrorNumberOf([&] { d.Add("a", Variant(2)); }), errc::kDuplicateKey);
  EXPECT_EQ(ErrorNumberOf([&] { d.Remove("y"); }), errc::kInvalidArgument);
}

TEST(DictionaryTest, ByName) {
  Dictionary d;
  d.Call("add", {Variant("one"), Variant(1)});
  d.Let("Item", Variant(2), {Variant("two")});
  d.Call("Add", {Variant(3), Variant("three")});  // keys by their text
  EXPECT_TRUE(CBool(d.Get("Exists", {Variant("3")})));
  const Variant keys = d.Get("Keys");
  EXPECT_EQ(keys.AsArray().LBound(), 0);
  EXPECT_EQ(TextsOf(keys.AsArray().Elements()), (Texts{"one", "two", "3"}));
  EXPECT_EQ(TextsOf(d.Call("Items", {}).AsArray().Elements()), (Texts{"1", "2", "three"}));
  d.Call("RemoveAll", {});
  d.Call("Add", {Variant("one"), Variant(1)});  // the index was cleared too
  EXPECT_EQ(CLng(d.Get("Count")), 1);
  EXPECT_EQ(ErrorNumberOf([&] { d.Call("Add", {Variant("k")}); }), errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { d.Call("Sort", {}); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { d.Let("Count", Variant(1)); }), errc::kNoSuchMember);
}

}  // namespace
}  // namespace tamrel
