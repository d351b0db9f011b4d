#include "platform/foundation/Value.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <thread>

using namespace foundation;

namespace {

// Runs a test body in a fixed time zone so local-time texts are predictable.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_previous)
            setenv("TZ", m_previous->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_previous;
};

TEST(ValueTest, LenientAccessorsAndMissingEntries)
{
    EXPECT_EQ(Value(2.9).asInt(), 2);
    EXPECT_EQ(Value(1e300).asInt(), INT64_MAX);
    EXPECT_EQ(Value("12").asInt(), 0) << "texts are not numbers";
    EXPECT_EQ(Value(12).asString(), "");
    EXPECT_TRUE(Value("x")["key"].isNull());
    EXPECT_TRUE(Value(Array {1})[5].isNull());
    EXPECT_NE(Value(1), Value(1.0)) << "integers and doubles are different types";
    Value record;
    record.set("nested", Map {{"list", Array {1, 2.5, "x"}}});
    EXPECT_EQ(record["nested"]["list"][2].asString(), "x");
}

TEST(ValueTest, BoolValueReadsRepliesAsThePhoneDoes)
{
    struct Case {
        Value value;
        bool expected;
    };
    for (const Case& c :
        {Case {true, true}, Case {false, false}, Case {1, true}, Case {-3, true}, Case {0, false},
            Case {0.5, true}, Case {0.0, false}, Case {"true", true}, Case {"True", true}, Case {"YES", true},
            Case {"yes", true}, Case {"1", true}, Case {"  7 apples", true}, Case {"+0009", true},
            Case {"-1", true}, Case {"false", false}, Case {"NO", false}, Case {"0", false},
            Case {"000", false}, Case {"", false}, Case {"   ", false}, Case {"操作成功", false},
            Case {"ok", false}, Case {Value(), false}, Case {Array {1}, false}, Case {Map {{"a", 1}}, false}})
        EXPECT_EQ(c.value.boolValue(), c.expected) << c.value.toJson();
}

TEST(ValueTest, JsonRoundTripOfEveryType)
{
    ScopedTimeZone zone("UTC");
    Value all = Map {
        {"null", Value()},
        {"bool", false},
        {"int", int64_t(-9007199254740993)},
        {"double", 0.1},
        {"whole double", 2.0},
        {"text", "未拍摄 \"quoted\"\n"},
        {"array", Array {1, "a", Array {}, Map {}}},
        {"map", Map {{"k", true}}},
    };
    std::string json = all.toJson();
    auto back = Value::fromJson(json);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, all);
    EXPECT_TRUE((*back)["whole double"].isDouble());
    EXPECT_EQ(Value::fromJson(all.toJson(2)), all);

    // Dates leave as local-time text and come back as text.
    Value date = Date(86400 + 3661);
    EXPECT_EQ(date.toJson(), "\"1970-01-02 01:01:01\"");
    // Invalid UTF-8 is replaced, not thrown.
    EXPECT_TRUE(Value::fromJson(Value(std::string("a\xff")).toJson()).has_value());
}

TEST(ValueTest, JsonNumbersAndFragments)
{
    EXPECT_EQ(Value::fromJson("42"), Value(42));
    EXPECT_EQ(Value::fromJson("-1.5e2"), Value(-150.0));
    EXPECT_EQ(Value::fromJson("\"bare\""), Value("bare"));
    EXPECT_EQ(Value::fromJson("null"), Value());
    EXPECT_TRUE(Value::fromJson("18446744073709551615")->isDouble()) << "too big for int64";
    EXPECT_EQ(Value::fromJson(" {\"Success\": true, \"Msg\": \"\"} ").value()["Success"], Value(true));
}

TEST(ValueTest, MalformedJsonGivesAnError)
{
    for (const char* bad : {"", "{", "{\"a\":}", "[1,]", "<html>", "{\"a\":1} trailing", "nul"}) {
        std::string error;
        EXPECT_EQ(Value::fromJson(bad, &error), std::nullopt) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_EQ(Value::fromJson("{"), std::nullopt) << "the error text is optional";

    // Deep nesting is refused, not a stack overflow; brackets in strings are not nesting.
    std::string error;
    EXPECT_EQ(Value::fromJson(std::string(200000, '[') + std::string(200000, ']'), &error), std::nullopt);
    EXPECT_NE(error.find("nested"), std::string::npos);
    std::string brackets = "[\"" + std::string(1000, '[') + "\\\"\"]";
    EXPECT_EQ(Value::fromJson(brackets).value()[size_t(0)].asString().size(), 1001u);
}

TEST(DateTest, FormatsAndParsesLocalTime)
{
    ScopedTimeZone zone("Asia/Shanghai");
    Date date(1700000000.123);
    EXPECT_EQ(date.formatLocal("yyyy-MM-dd HH:mm:ss"), "2023-11-15 06:13:20");
    EXPECT_EQ(date.formatLocal("yyyy-MM-dd HH:mm:ss.SSS"), "2023-11-15 06:13:20.123");
    EXPECT_EQ(date.formatLocal("yyyyMMdd_HHmmss"), "20231115_061320");

    auto parsed = Date::parseLocal("2023-11-15 06:13:20", "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->secondsSince1970(), 1700000000.0);
    auto withMillis
        = Date::parseLocal(date.formatLocal("yyyy-MM-dd HH:mm:ss.SSS"), "yyyy-MM-dd HH:mm:ss.SSS");
    ASSERT_TRUE(withMillis);
    EXPECT_NEAR(withMillis->secondsSince1970(), 1700000000.123, 1e-6);
}

TEST(DateTest, RoundTripAcrossADaylightSavingChange)
{
    ScopedTimeZone zone("Europe/Berlin");
    for (double t : {1679792400.0 - 1, 1679792400.0, 1698541200.0 + 3600}) {
        Date date(t);
        auto back = Date::parseLocal(date.formatLocal("yyyy-MM-dd HH:mm:ss"), "yyyy-MM-dd HH:mm:ss");
        ASSERT_TRUE(back);
        EXPECT_EQ(back->secondsSince1970(), t) << date.formatLocal("yyyy-MM-dd HH:mm:ss");
    }
}

TEST(DateTest, RejectsTextThatDoesNotMatch)
{
    for (const char* bad : {"2023-11-15", "2023-11-15 06:13:20 extra", "2023/11/15 06:13:20",
             "2023-13-01 00:00:00", "2023-02-30 00:00:00", "2023-11-15 24:00:00", "20x3-11-15 06:13:20"})
        EXPECT_EQ(Date::parseLocal(bad, "yyyy-MM-dd HH:mm:ss"), std::nullopt) << bad;
}

TEST(FormatTest, PrintfStyleOfAnyLength)
{
    EXPECT_EQ(format("%s:%d/Services", "http://host", 80), "http://host:80/Services");
    std::string longText(1000, 'x');
    EXPECT_EQ(format("<%s>", longText.c_str()), "<" + longText + ">");
    EXPECT_EQ(format("%lld.jpg", 1700000000000000LL), "1700000000000000.jpg");
}

TEST(LogTest, CapturesNestAndSeeLinesFromAnyThread)
{
    LogCapture outer(LogCapture::Echo::No);
    log("first");
    {
        LogCapture inner(LogCapture::Echo::No);
        std::thread([] { logf("identify: %s  progress: %f", "file1", 0.5); }).join();
        EXPECT_EQ(inner.lines(), std::vector<std::string> {"identify: file1  progress: 0.500000"});
    }
    log("last");
    EXPECT_EQ(
        outer.lines(), (std::vector<std::string> {"first", "identify: file1  progress: 0.500000", "last"}));
    EXPECT_TRUE(outer.contains("progress"));
    EXPECT_FALSE(outer.contains("missing"));
    outer.clear();
    EXPECT_TRUE(outer.lines().empty());
}

} // namespace
