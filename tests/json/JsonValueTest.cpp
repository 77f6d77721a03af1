// The node: ownership of children, deep copies, and accessors on the wrong type.
#include <gtest/gtest.h>
#include <memory>

#include "JSON.h"

TEST(JsonValue, AccessorsOfAnotherTypeYieldEmptyOrZero) {
    const JSONValue number(2.5);
    EXPECT_EQ(number.AsString(), L"");
    EXPECT_FALSE(number.AsBool());
    EXPECT_EQ(number.CountChildren(), 0u);
    EXPECT_FALSE(number.HasChild(size_t{0}));
    EXPECT_EQ(number.Child(L"a"), nullptr);
    const JSONValue text(L"abc");
    EXPECT_EQ(text.AsNumber(), 0.0);
    EXPECT_TRUE(text.AsArray().empty());
}

TEST(JsonValue, ChildLookupByIndexAndName) {
    std::unique_ptr<JSONValue> array(JSON::Parse(L"[10, {\"k\": \"v\"}]"));
    ASSERT_TRUE(array);
    EXPECT_TRUE(array->HasChild(size_t{1}));
    EXPECT_FALSE(array->HasChild(size_t{2}));
    EXPECT_EQ(array->Child(size_t{2}), nullptr);
    EXPECT_EQ(array->Child(L"k"), nullptr);
    const JSONValue* object = array->Child(size_t{1});
    EXPECT_TRUE(object->HasChild(L"k"));
    EXPECT_FALSE(object->HasChild(L"v"));
    EXPECT_EQ(object->Child(L"k")->AsString(), L"v");
}

TEST(JsonValue, CopiesAreDeepAndEditsReplaceWithoutLeaking) {
    std::unique_ptr<JSONValue> original(JSON::Parse(L"{\"list\": [1, 2], \"name\": \"x\"}"));
    ASSERT_TRUE(original);
    JSONValue copy = *original;
    copy.Child(L"list")->Append(JSONValue(3.0));
    copy.SetMember(L"name", JSONValue(L"y")); // replaces, deleting the old node
    EXPECT_EQ(original->Child(L"list")->CountChildren(), 2u);
    EXPECT_EQ(original->Child(L"name")->AsString(), L"x");
    EXPECT_EQ(copy.Child(L"list")->CountChildren(), 3u);
    EXPECT_EQ(copy.Child(L"name")->AsString(), L"y");

    JSONValue moved = std::move(copy);
    EXPECT_EQ(moved.CountChildren(), 2u);
    copy = *original; // a moved-from node is reusable
    EXPECT_EQ(copy.CountChildren(), 2u);

    // Edits that do not fit the node's type change nothing.
    JSONValue number(1.0);
    EXPECT_EQ(number.SetMember(L"a", JSONValue()), nullptr);
    EXPECT_EQ(number.Append(JSONValue()), nullptr);
}
