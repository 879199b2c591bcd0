#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "error_number.hpp"
#include "tamrel/dictionary.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;

std::vector<std::string> Texts(const std::vector<Variant>& values) {
  std::vector<std::string> texts;
  for (const Variant& value : values) texts.push_back(ConcatText(value));
  return texts;
}

TEST(DictionaryTest, KeepsInsertionOrderAcrossChanges) {
  Dictionary d;
  d.Add("b", Variant(1));
  d.Add("a", Variant(2));
  d.Item("c", Variant(3));
  d.Item("b", Variant(4));  // replacing keeps the place
  EXPECT_EQ(d.Keys(), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(Texts(d.Items()), (std::vector<std::string>{"4", "2", "3"}));

  d.Remove("b");
  d.Add("b", Variant(5));  // re-added keys go to the end
  EXPECT_EQ(d.Keys(), (std::vector<std::string>{"a", "c", "b"}));
  EXPECT_EQ(CLng(d.Item("c")), 3);
  EXPECT_EQ(CLng(d.Item("b")), 5);
}

TEST(DictionaryTest, KeysAreCaseSensitiveAndReadingAddsThem) {
  Dictionary d;
  d.Add("Key", Variant("upper"));
  d.Add("key", Variant("lower"));
  EXPECT_FALSE(d.Exists("KEY"));
  EXPECT_EQ(CStr(d.Item("key")), "lower");
  EXPECT_TRUE(d.Item("ghost").IsEmpty());
  EXPECT_EQ(d.Keys(), (std::vector<std::string>{"Key", "key", "ghost"}));
}

TEST(DictionaryTest, Errors) {
  Dictionary d;
  d.Add("x", Variant(1));
  EXPECT_EQ(ErrorNumberOf([&] { d.Add("x", Variant(2)); }), errc::kDuplicateKey);
  EXPECT_EQ(CLng(d.Item("x")), 1);
  EXPECT_EQ(ErrorNumberOf([&] { d.Remove("y"); }), errc::kInvalidArgument);
  d.RemoveAll();
  EXPECT_EQ(d.Count(), 0);
  EXPECT_FALSE(d.Exists("x"));
  d.Add("x", Variant(3));  // the index was cleared too
  EXPECT_EQ(CLng(d.Item("x")), 3);
}

TEST(DictionaryTest, RemovingKeepsTheOthersReachable) {
  Dictionary d;
  for (const char* key : {"k0", "k1", "k2", "k3", "k4"}) d.Add(key, Variant(key));
  d.Remove("k1");
  d.Remove("k3");
  EXPECT_EQ(d.Keys(), (std::vector<std::string>{"k0", "k2", "k4"}));
  for (const char* key : {"k0", "k2", "k4"}) EXPECT_EQ(CStr(d.Item(key)), key);
}

TEST(DictionaryTest, ByName) {
  Dictionary d;
  d.Call("add", {Variant("one"), Variant(1)});
  d.Let("Item", Variant(2), {Variant("two")});
  d.Call("Add", {Variant(3), Variant("three")});  // keys by their text
  EXPECT_EQ(CLng(d.Get("Count")), 3);
  EXPECT_TRUE(CBool(d.Get("Exists", {Variant("3")})));
  EXPECT_FALSE(CBool(d.Call("EXISTS", {Variant("four")})));
  EXPECT_EQ(CLng(d.Get("Item", {Variant("two")})), 2);

  const Variant keys = d.Get("Keys");
  ASSERT_TRUE(keys.IsArray());
  EXPECT_EQ(keys.AsArray().LBound(), 0);
  EXPECT_EQ(Texts(keys.AsArray().Elements()), (std::vector<std::string>{"one", "two", "3"}));
  EXPECT_EQ(Texts(d.Call("Items", {}).AsArray().Elements()),
            (std::vector<std::string>{"1", "2", "three"}));

  d.Call("Remove", {Variant("one")});
  d.Call("RemoveAll", {});
  EXPECT_EQ(d.Get("Keys").AsArray().UBound(), -1);

  EXPECT_EQ(ErrorNumberOf([&] { d.Call("Add", {Variant("k")}); }), errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { d.Get("Item"); }), errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { d.Let("Item", Variant(1)); }), errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { d.Call("Sort", {}); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { d.Let("Count", Variant(1)); }), errc::kNoSuchMember);
}

}  // namespace
}  // namespace tamrel
