#include "output/results_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "draw/results.h"
#include "fakes/fake_services.h"

namespace fs = std::filesystem;
using kelvara::testing::FakeServices;
using kelvara::testing::utf8Path;
using kelvara::testing::utf8String;
namespace output = kelvara::output;
namespace platform = kelvara::platform;

namespace {

// A fresh program directory per test, with a Chinese name so paths are not plain ASCII.
class ProgramDir {
public:
    ProgramDir() {
        std::random_device seed;
        m_path = fs::temp_directory_path() / utf8Path("kelvara-输出-" + std::to_string(seed()));
        fs::create_directories(m_path);
    }
    ~ProgramDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    ProgramDir(const ProgramDir&) = delete;
    ProgramDir& operator=(const ProgramDir&) = delete;

    std::string str() const { return utf8String(m_path); }
    fs::path path() const { return m_path; }

private:
    fs::path m_path;
};

std::string readBytes(const std::string& path) {
    std::ifstream in(utf8Path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Results of one round of these names, numbered from 1.
kelvara::draw::Results resultsOf(const std::vector<std::string>& names) {
    kelvara::draw::Results results;
    std::vector<kelvara::draw::ResultEntry> round;
    for (const std::string& name : names) {
        round.push_back({static_cast<int>(round.size()) + 1, {1, name}, 0, {}});
    }
    if (!round.empty()) {
        results.addRound(std::move(round));
    }
    return results;
}

const std::string kHeading = "摇号结果\r\n";
const std::string kTwoWinners = kHeading + "\r\n[1]:\t张伟明\r\n[2]:\t李建华";
const auto kTwo = resultsOf({"张伟明", "李建华"});

output::ResultsOutput outputOf(FakeServices& services) {
    return {services, services, services};
}

struct BytesCase {
    const char* name;
    std::vector<std::string> names;
    std::string fileBytes;
};

class WriteBytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(WriteBytes, WritesTheResultsTextAndOneLineEnd) {
    ProgramDir dir;
    FakeServices services(dir.str());

    EXPECT_FALSE(outputOf(services).save(resultsOf(GetParam().names)));

    EXPECT_EQ(readBytes(dir.str() + "/摇号结果.txt"), GetParam().fileBytes);
    EXPECT_EQ(readBytes(dir.str() + "/摇号结果.xlsx").substr(0, 2), "PK") << "no workbook";
    EXPECT_TRUE(services.messages.empty()) << "the window words the messages";
    EXPECT_TRUE(services.printed.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Output, WriteBytes,
    ::testing::Values(BytesCase{"BeforeAnyDraw", {}, "摇号结果\r\n\r\n"},
                      BytesCase{"TwoWinners",
                                {"张伟明", "李建华"},
                                "摇号结果\r\n\r\n[1]:\t张伟明\r\n[2]:\t李建华\r\n"},
                      // A TAB inside a name goes out unchanged; a lone LF would start a
                      // line of its own and goes out as a space.
                      BytesCase{"NamesOnTheirLines",
                                {"欧阳\t修", "司马\n光"},
                                "摇号结果\r\n\r\n[1]:\t欧阳\t修\r\n[2]:\t司马 光\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Output, WritingAgainReplacesTheWholeFile) {
    ProgramDir dir;
    FakeServices services(dir.str());
    const std::string path = dir.str() + "/摇号结果.txt";

    auto output = outputOf(services);
    EXPECT_FALSE(output.save(kTwo));
    EXPECT_FALSE(output.save(resultsOf({"张伟明", "李建华", "王秀英"})));
    EXPECT_EQ(readBytes(path), kTwoWinners + "\r\n[3]:\t王秀英\r\n");

    // A shorter text after a longer one leaves no tail of the old file.
    EXPECT_FALSE(output.save(resultsOf({})));
    EXPECT_EQ(readBytes(path), kHeading + "\r\n");
}

TEST(Output, PrintReplacesASavedFileThenAsksForPrintingSilently) {
    ProgramDir dir;
    FakeServices services(dir.str());
    const std::string path = dir.str() + "/摇号结果.txt";

    auto output = outputOf(services);
    EXPECT_FALSE(output.save(resultsOf({})));
    EXPECT_FALSE(output.print(kTwo));

    EXPECT_EQ(readBytes(path), kTwoWinners + "\r\n");
    EXPECT_EQ(output.filePath(), path);
    ASSERT_EQ(services.printed.size(), 1U);
    EXPECT_EQ(services.printed[0], path);
    EXPECT_TRUE(services.messages.empty());
}

// Print writes and prints the text file only; the workbook is Save's.
TEST(Output, PrintLeavesTheWorkbookAlone) {
    ProgramDir dir;
    FakeServices services(dir.str());
    std::ofstream(dir.path() / utf8Path("摇号结果.xlsx")) << "earlier";

    EXPECT_FALSE(outputOf(services).print(kTwo));
    EXPECT_EQ(readBytes(dir.str() + "/摇号结果.xlsx"), "earlier");
}

// No printer: the print operation refuses the file, which stays written.
TEST(Output, APrintThatFailsSaysWhyAndKeepsTheFile) {
    ProgramDir dir;
    FakeServices services(dir.str());
    services.printFailure = "lp: Error - No default destination.";
    const auto failure = outputOf(services).print(kTwo);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, platform::FailureKind::PrintRefused);
    EXPECT_EQ(failure->detail, "lp: Error - No default destination.");
    EXPECT_EQ(readBytes(dir.str() + "/摇号结果.txt"), kTwoWinners + "\r\n");
    EXPECT_EQ(services.printed.size(), 1U);
}

// The results file cannot be written, for root as well as for anybody else.
enum class Blocker { DirectoryOfThatName, ProgramDirIsAFile };
enum class Action { Write, Print };

struct FailureCase {
    const char* name;
    Blocker blocker;
    Action action;
};

class WriteFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(WriteFailure, ReturnsThePathAndTheReasonAndPrintsNothing) {
    ProgramDir dir;
    std::string programDir = dir.str();
    if (GetParam().blocker == Blocker::DirectoryOfThatName) {
        fs::create_directory(dir.path() / utf8Path("摇号结果.txt"));
        std::ofstream(dir.path() / utf8Path("摇号结果.txt") / "inside") << "kept";
    } else {
        programDir += "/kelvara";
        std::ofstream(utf8Path(programDir)) << "a file where the directory should be";
    }
    FakeServices services(programDir);

    auto output = outputOf(services);
    const auto failure =
        GetParam().action == Action::Write ? output.save(kTwo) : output.print(kTwo);

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, platform::FailureKind::System);
    EXPECT_EQ(failure->path, programDir + "/摇号结果.txt");
    EXPECT_FALSE(failure->detail.empty()) << "the system's reason is missing";
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.printed.empty());
    EXPECT_FALSE(fs::exists(utf8Path(programDir + "/摇号结果.xlsx")))
        << "a workbook beside a failed text file";

    if (GetParam().blocker == Blocker::DirectoryOfThatName) {
        EXPECT_TRUE(fs::is_directory(dir.path() / utf8Path("摇号结果.txt")));
        EXPECT_EQ(readBytes(dir.str() + "/摇号结果.txt/inside"), "kept");
    } else {
        EXPECT_TRUE(fs::is_regular_file(utf8Path(programDir)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Output, WriteFailure,
    ::testing::Values(
        FailureCase{"WriteOverDirectory", Blocker::DirectoryOfThatName, Action::Write},
        FailureCase{"PrintOverDirectory", Blocker::DirectoryOfThatName, Action::Print},
        FailureCase{"WriteUnderFile", Blocker::ProgramDirIsAFile, Action::Write},
        FailureCase{"PrintUnderFile", Blocker::ProgramDirIsAFile, Action::Print}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
