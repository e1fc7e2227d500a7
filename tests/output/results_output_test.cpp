#include "output/results_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "fakes/fake_services.h"

namespace fs = std::filesystem;
using kelvara::testing::FakeServices;
using kelvara::testing::utf8Path;
using kelvara::testing::utf8String;
namespace output = kelvara::output;

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

const std::string kHeading = "摇号结果\r\n";
const std::string kTwoWinners = kHeading + "\r\n[1]:\t张伟明\r\n[2]:\t李建华";

struct BytesCase {
    const char* name;
    std::string boxText;
    std::string fileBytes;
};

class WriteBytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(WriteBytes, WritesTheBoxAndOneLineEnd) {
    ProgramDir dir;
    FakeServices services(dir.str());

    EXPECT_FALSE(output::WriteResultsFile(services, GetParam().boxText));

    EXPECT_EQ(readBytes(dir.str() + "/摇号结果.txt"), GetParam().fileBytes);
    EXPECT_TRUE(services.messages.empty()) << "the window words the messages";
    EXPECT_TRUE(services.printed.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Output, WriteBytes,
    ::testing::Values(
        BytesCase{"BeforeAnyDraw", kHeading, "摇号结果\r\n\r\n"},
        BytesCase{"TwoWinners", kTwoWinners, "摇号结果\r\n\r\n[1]:\t张伟明\r\n[2]:\t李建华\r\n"},
        // Whatever the operator typed into the box goes out unchanged, LF alone included.
        BytesCase{"EditedByHand", "摇号结果\r\n手写\n", "摇号结果\r\n手写\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Output, WritingAgainReplacesTheWholeFile) {
    ProgramDir dir;
    FakeServices services(dir.str());
    const std::string path = dir.str() + "/摇号结果.txt";

    EXPECT_FALSE(output::WriteResultsFile(services, kTwoWinners));
    const std::string later = kTwoWinners + "\r\n[3]:\t王秀英";
    EXPECT_FALSE(output::WriteResultsFile(services, later));
    EXPECT_EQ(readBytes(path), later + "\r\n");

    // A shorter text after a longer one leaves no tail of the old file.
    EXPECT_FALSE(output::WriteResultsFile(services, kHeading));
    EXPECT_EQ(readBytes(path), kHeading + "\r\n");
}

TEST(Output, PrintReplacesASavedFileThenAsksForPrintingSilently) {
    ProgramDir dir;
    FakeServices services(dir.str());
    const std::string path = dir.str() + "/摇号结果.txt";

    EXPECT_FALSE(output::WriteResultsFile(services, kHeading));
    EXPECT_FALSE(output::PrintResults(services, kTwoWinners));

    EXPECT_EQ(readBytes(path), kTwoWinners + "\r\n");
    EXPECT_EQ(output::ResultsFilePath(services), path);
    ASSERT_EQ(services.printed.size(), 1U);
    EXPECT_EQ(services.printed[0], path);
    EXPECT_TRUE(services.messages.empty());
}

// No printer: the print operation refuses the file, which stays written.
TEST(Output, APrintThatFailsSaysWhyAndKeepsTheFile) {
    ProgramDir dir;
    FakeServices services(dir.str());
    services.printFailure = "lp: Error - No default destination.";
    const auto failure = output::PrintResults(services, kTwoWinners);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->step, output::OutputFailure::Step::Print);
    EXPECT_EQ(failure->reason, "lp: Error - No default destination.");
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

    const auto failure = GetParam().action == Action::Write
                             ? output::WriteResultsFile(services, kTwoWinners)
                             : output::PrintResults(services, kTwoWinners);

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->step, output::OutputFailure::Step::Write);
    EXPECT_EQ(failure->path, programDir + "/摇号结果.txt");
    EXPECT_FALSE(failure->reason.empty()) << "the system's reason is missing";
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.printed.empty());

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
