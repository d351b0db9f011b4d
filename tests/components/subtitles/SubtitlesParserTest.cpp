#include "components/subtitles/SubtitlesParser.h"
#include "components/subtitles/Subtitles.h"
#include "components/subtitles/SubtitlesParts.h"
#include "platform/ui/MoviePlayerController.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

void PrintTo(const SubtitleCue& cue, std::ostream* out)
{
    *out << "{" << cue.index << ", " << cue.start << ", " << cue.end << ", \"" << cue.text << "\"}";
}

namespace {

using Player = std::shared_ptr<ui::MoviePlayerController>;

Player makePlayer()
{
    return ui::MoviePlayerController::initWithContentURL("/nowhere/movie.mp4");
}

std::vector<SubtitleCue> parse(std::string_view text)
{
    auto player = makePlayer();
    bool ok = false;
    Subtitles::parseString(
        player, text, [&](bool parsed, const std::optional<std::string>& error) { ok = parsed && !error; });
    EXPECT_TRUE(ok);
    return Subtitles::subtitlesParts(*player)->values();
}

std::string withLineEnds(std::string text, const std::string& end)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? end : std::string(1, c);
    return out;
}

const std::string kThreeCues = "1\n00:00:01,000 --> 00:00:03,500\n第一句\n\n"
                               "2\n00:00:04,000 --> 00:00:06,250\n<i>两行</i>\n第二句\n\n"
                               "3\n00:01:02,500 --> 01:00:00,000\n{\\an8}最后一句\n";

// A text of two lines keeps the file's own line end between them.
std::vector<SubtitleCue> threeCuesParsed(const std::string& lineEnd = "\n")
{
    return {{"1", 1.0, 3.5, "第一句"}, {"2", 4.0, 6.25, "两行" + lineEnd + "第二句"},
        {"3", 62.5, 3600, "最后一句"}};
}

TEST(SubtitlesParserTest, TimeFromString)
{
    struct Row {
        const char* text;
        double seconds;
    } rows[] = {
        {"00:01:02,500", 62.5},
        {"01:00:00,000", 3600},
        {"00:00:00,001", 0.001},
        {"10:20:30,040", 37230.04},
        {"00:00:05", 5},
        {"00:00:05.250", 5}, // no comma: the milliseconds are missing
        {"00:07", 420},
        {"", 0},
        {"abc", 0},
        {" 00:00:02,000", 2},
    };
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(Subtitles::timeFromString(row.text), row.seconds) << row.text;
}

TEST(SubtitlesParserTest, ReadsCuesWithLfOrCrLfLineEnds)
{
    EXPECT_EQ(parse(withLineEnds(kThreeCues, "\r\n")), threeCuesParsed("\r\n"));
    EXPECT_EQ(parse(kThreeCues), threeCuesParsed());
    // Mixed line ends and extra blank lines between cues.
    EXPECT_EQ(
        parse("\n\n1\r\n00:00:01,000 --> 00:00:03,500\r\n第一句\n\r\n\r\n\n2\n00:00:04,000 --> 00:00:06,250\n"
              "<i>两行</i>\n第二句\r\n\r\n3\n00:01:02,500 --> 01:00:00,000\n{\\an8}最后一句"),
        threeCuesParsed());
}

TEST(SubtitlesParserTest, RemovesTagsAndTrimsSpaces)
{
    struct Row {
        const char* body;
        const char* text;
    } rows[] = {
        {"<i>word</i>", "word"},
        {"<I>Word</I>", "Word"},
        {"{\\an8}top line", "top line"},
        {"<font color=\"#ff0000\">red</font> and plain", "red and plain"},
        {"  \tpadded\t  ", "padded"},
        {"a < b", "a < b"},
    };
    for (const auto& row : rows) {
        auto cues = parse(std::string("1\n00:00:01,000 --> 00:00:02,000\n") + row.body + "\n");
        ASSERT_EQ(cues.size(), 1u) << row.body;
        EXPECT_EQ(cues[0].text, row.text) << row.body;
    }
}

// The markup the cue texts drop, as a regular expression: the reference the scanner must equal.
std::string removeTagsByRegex(const std::string& text)
{
    static const std::regex tags(R"([<|\{][^>|\^}]*[>|\}])", std::regex::ECMAScript | std::regex::icase);
    return std::regex_replace(text, tags, "");
}

TEST(SubtitlesParserTest, TagsGoAsTheRegularExpressionTakesThem)
{
    // Every character the expression names, a few it does not, line breaks and a NUL.
    const std::string alphabet("<>{}|^\\aZ \n\r\0\xE4", 14);
    std::mt19937 random(20240611);
    for (int i = 0; i < 200000; ++i) {
        std::string text(random() % 13, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        ASSERT_EQ(subtitles::removeTags(text), removeTagsByRegex(text)) << testing::PrintToString(text);
    }
    // Long texts made of short pieces, which the regular expression still manages.
    const char* pieces[] = {"<i>", "</i>", "{\\an8}", "a < b", "x^y", "|", "<b", "}", "{", "word ", "\n"};
    for (int round = 0; round < 20; ++round) {
        std::string text;
        while (text.size() < 100000)
            text += pieces[random() % std::size(pieces)];
        ASSERT_EQ(subtitles::removeTags(text), removeTagsByRegex(text)) << round;
    }
}

TEST(SubtitlesParserTest, AHugeCueWithoutACloserIsKeptWhole)
{
    const std::string head = "1\n00:00:01,000 --> 00:00:02,000\n";
    for (char open : {'<', '{', '|'}) {
        std::string body = std::string(1, open) + std::string(1 << 20, 'a');
        auto cues = parse(head + body + "\n");
        ASSERT_EQ(cues.size(), 1u);
        EXPECT_EQ(cues[0].text, body);
    }
    std::string openers(1 << 20, '<');
    EXPECT_EQ(parse(head + openers + "\n").at(0).text, openers);
    // Closed at the very end, the whole megabyte is one tag.
    EXPECT_EQ(parse(head + "kept <" + std::string(1 << 20, 'a') + ">\n").at(0).text, "kept ");
}

TEST(SubtitlesParserTest, EmptyTextKeepsTheNextCue)
{
    for (const char* end : {"\n", "\r\n"}) {
        auto cues
            = parse(withLineEnds("1\n00:00:01,000 --> 00:00:02,000\n\n2\n00:00:03,000 --> 00:00:04,000\nB\n\n"
                                 "3\n00:00:05,000 --> 00:00:06,000\n",
                end));
        EXPECT_EQ(cues, (std::vector<SubtitleCue> {{"1", 1, 2, ""}, {"2", 3, 4, "B"}, {"3", 5, 6, ""}}))
            << (end[0] == '\r' ? "CR LF" : "LF");
    }
}

TEST(SubtitlesParserTest, ALaterCueWithTheSameIndexReplacesTheEarlier)
{
    auto cues = parse("1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n00:00:03,000 --> 00:00:04,000\nB\n\n"
                      "1\n00:00:05,000 --> 00:00:06,000\nC\n");
    EXPECT_EQ(cues, (std::vector<SubtitleCue> {{"1", 5, 6, "C"}, {"2", 3, 4, "B"}}));
}

TEST(SubtitlesParserTest, BrokenCuesAreReadAsFarAsTheyGo)
{
    // No arrow: the line is the start, the next the end, and the cues after it survive.
    EXPECT_EQ(parse("1\n00:00:01,000 00:00:02,000\nA\n\n2\n00:00:03,000 --> 00:00:04,000\nB\n"),
        (std::vector<SubtitleCue> {{"1", 1, 0, ""}, {"2", 3, 4, "B"}}));
    // Odd times count their missing parts as 0.
    EXPECT_EQ(parse("7\nxx --> 00:00:09\nA\n"), (std::vector<SubtitleCue> {{"7", 0, 9, "A"}}));
    // Cut off after an index line.
    EXPECT_EQ(parse("1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n"),
        (std::vector<SubtitleCue> {{"1", 1, 2, "A"}, {"2", 0, 0, ""}}));
    EXPECT_TRUE(parse("").empty());
    EXPECT_TRUE(parse(" \r\n\n\t").empty());
}

TEST(SubtitlesParserTest, ParsingAgainReplacesTheCues)
{
    auto player = makePlayer();
    Subtitles::parseString(player, kThreeCues, nullptr);
    auto first = Subtitles::subtitlesParts(*player);
    Subtitles::parseString(player, "9\n00:00:01,000 --> 00:00:02,000\nX\n", nullptr);
    ASSERT_EQ(Subtitles::subtitlesParts(*player)->size(), 1u);
    EXPECT_NE(Subtitles::subtitlesParts(*player), first);
}

TEST(SubtitlesPartsTest, TheCueShownAtATime)
{
    SubtitlesParts parts;
    parts.set({"1", 1.0, 3.5, "A"});
    parts.set({"2", 5.0, 9.0, "B"});
    parts.set({"3", 6.0, 7.0, "C"}); // overlaps B
    struct Row {
        double time;
        const char* text; // nullptr: nothing shown
    } rows[] = {{0.99, nullptr}, {1.0, "A"}, {2.0, "A"}, {3.5, "A"}, {3.6, nullptr}, {4.5, nullptr},
        {5.0, "B"}, {6.0, "C"}, {7.0, "C"}, {7.01, "B"}, {9.0, "B"}, {9.01, nullptr}};
    for (const auto& row : rows) {
        const SubtitleCue* cue = parts.cueAt(row.time);
        using Text = std::optional<std::string>;
        EXPECT_EQ(cue ? Text(cue->text) : std::nullopt, row.text ? Text(row.text) : std::nullopt) << row.time;
    }
}

class SubtitleFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("mivo-srt-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return dir / name;
    }

    // Opens the file with both blocks; answers (completion calls, failure text).
    std::pair<int, std::string> open(const Player& player, const std::filesystem::path& path)
    {
        int completions = 0;
        std::string failure;
        Subtitles::openSRTFileAtPath(
            player, path, [&](bool finished) { completions += finished ? 1 : 100; },
            [&](const std::string& error) { failure = error.empty() ? "?" : error; });
        return {completions, failure};
    }

    std::filesystem::path dir;
};

TEST_F(SubtitleFileTest, OpensFilesWithAndWithoutAByteOrderMark)
{
    for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
        auto player = makePlayer();
        auto [completions, failure] = open(player, write("a.srt", prefix + withLineEnds(kThreeCues, "\r\n")));
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(failure, "");
        EXPECT_EQ(Subtitles::subtitlesParts(*player)->values(), threeCuesParsed("\r\n"));
    }
}

TEST_F(SubtitleFileTest, AnEmptyFileOpensWithNoCues)
{
    auto player = makePlayer();
    auto [completions, failure] = open(player, write("empty.srt", ""));
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(Subtitles::subtitlesParts(*player)->empty());
}

TEST_F(SubtitleFileTest, AFileThatCannotBeReadGoesToTheFailureBlockOnly)
{
    // A FIFO fails at once: read as a file, it would hold the main thread until a writer came.
    mivo::test::TimeLimit limit(30);
    ASSERT_EQ(::mkfifo((dir / "fifo.srt").c_str(), 0600), 0);
    std::filesystem::create_symlink(write("good.srt", kThreeCues), dir / "link.srt");
    for (auto path : {dir / "missing.srt", write("latin1.srt", "1\n00:00:01,000 --> 00:00:02,000\ncaf\xE9\n"),
             dir, dir / "fifo.srt", dir / "link.srt"}) {
        auto player = makePlayer();
        auto [completions, failure] = open(player, path);
        EXPECT_EQ(completions, 0) << path;
        EXPECT_NE(failure, "") << path;
        EXPECT_EQ(Subtitles::subtitlesParts(*player), nullptr) << path;
    }
    // Without a failure block nothing happens at all.
    auto player = makePlayer();
    Subtitles::openSRTFileAtPath(
        player, dir / "missing.srt", [](bool) { FAIL(); }, nullptr);
}

TEST_F(SubtitleFileTest, TheShippedSubtitlesCoverThirtyFiveSeconds)
{
    auto player = makePlayer();
    auto [completions, failure]
        = open(player, std::filesystem::path(MIVO_SOURCE_DIR) / "Resources/example.srt");
    ASSERT_EQ(completions, 1) << failure;
    auto parts = Subtitles::subtitlesParts(*player);
    ASSERT_GT(parts->size(), 5u);
    for (double t = 0; t <= 35.0; t += 0.25) {
        const SubtitleCue* cue = parts->cueAt(t);
        ASSERT_NE(cue, nullptr) << t;
        EXPECT_FALSE(cue->text.empty()) << t;
    }
    EXPECT_EQ(parts->cueAt(35.01), nullptr);
}

} // namespace
