#include "platform/foundation/JsonList.h"

#include <gtest/gtest.h>

using foundation::JsonList;
using foundation::Map;
using foundation::Value;

TEST(JsonListTest, TakesTheListOutOfTheReplyAndReadsItsEntriesOneByOne)
{
    auto split = JsonList::fromJsonTakingList(
        R"( {"Success": true, "Data" : [ {"CarID": "1", "Note": "a ] , } \" [ {"}, 0 ,"x",[1,[2]] , null ,
        {"CarID": 2}], "sysdate": "2026-12-06 10:00:00"} )",
        "Data");
    ASSERT_TRUE(split);
    EXPECT_EQ(split->value, Value(Map {{"Success", true}, {"sysdate", "2026-12-06 10:00:00"}}));
    ASSERT_TRUE(split->list);
    const JsonList& list = *split->list;
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list.at(0), Value(Map {{"CarID", "1"}, {"Note", "a ] , } \" [ {"}}));
    EXPECT_EQ(list.at(1), Value(0));
    EXPECT_EQ(list.at(2), Value("x"));
    EXPECT_EQ(list.at(3).size(), 2u);
    EXPECT_TRUE(list.at(4).isNull());
    EXPECT_EQ(list.at(5)["CarID"], Value(2));
    EXPECT_TRUE(list.at(6).isNull());
    EXPECT_TRUE(list.isMapAt(0));
    EXPECT_FALSE(list.isMapAt(1));
    EXPECT_TRUE(list.isMapAt(5));
    EXPECT_FALSE(list.isMapAt(6));

    // A list made from values reads the same.
    JsonList again(Value(foundation::Array {Map {{"CarID", "1"}}, 0}));
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again.at(0)["CarID"], Value("1"));
    EXPECT_FALSE(again.isMapAt(1));
}

TEST(JsonListTest, RepliesWithoutAPlainListAreReadWhole)
{
    EXPECT_FALSE(JsonList::fromJsonTakingList(R"({"Data": [0, 0)", "Data"));
    EXPECT_FALSE(JsonList::fromJsonTakingList(R"({"Data": [0, {"a": }]})", "Data"));
    EXPECT_FALSE(JsonList::fromJsonTakingList("", "Data"));

    auto empty = JsonList::fromJsonTakingList(R"({"Data":[]})", "Data");
    ASSERT_TRUE(empty && empty->list);
    EXPECT_TRUE(empty->list->empty());
    EXPECT_EQ(empty->value, Value(Map {}));

    auto notAList = JsonList::fromJsonTakingList(R"({"Success": false, "Data": "none"})", "Data");
    ASSERT_TRUE(notAList);
    EXPECT_FALSE(notAList->list);
    EXPECT_EQ(notAList->value["Data"], Value("none"));

    auto fragment = JsonList::fromJsonTakingList("[1, 2]", "Data");
    ASSERT_TRUE(fragment);
    EXPECT_FALSE(fragment->list);
    EXPECT_EQ(fragment->value.size(), 2u);

    // A key written with escapes is the same key: the reply is read whole and its list taken
    // from the member the full reader keeps.
    auto escaped = JsonList::fromJsonTakingList(R"({"Data": [1], "D\u0061ta": [2, 3], "Msg": "m"})", "Data");
    ASSERT_TRUE(escaped && escaped->list);
    auto whole = Value::fromJson(R"({"Data": [1], "D\u0061ta": [2, 3]})");
    EXPECT_EQ(escaped->list->size(), (*whole)["Data"].size());
    EXPECT_FALSE(escaped->value.contains("Data"));
    EXPECT_EQ(escaped->value["Msg"], Value("m"));
}
