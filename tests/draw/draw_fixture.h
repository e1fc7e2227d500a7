#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "draw/draw_engine.h"
#include "fakes/fake_services.h"
#include "fakes/fake_view.h"

namespace kelvara::testing {

// A temporary program directory with an engine, a fake window and fake services.
class DrawFixture : public ::testing::Test {
protected:
    DrawFixture()
        : m_dir(makeDir()), services(utf8String(m_dir), 7), engine(view, view, services.forDraw()) {
        engine.startUp();
    }
    ~DrawFixture() override { std::filesystem::remove_all(m_dir); }

    // A new directory of a random name: create_directory tells whether it was new.
    static std::filesystem::path makeDir() {
        std::random_device seed;
        std::mt19937_64 names(seed());
        const auto base = std::filesystem::temp_directory_path();
        while (true) {
            auto dir = base / ("kelvara-" + std::to_string(names()));
            if (std::filesystem::create_directory(dir)) {
                return dir;
            }
        }
    }

    std::filesystem::path bonusPath() const { return m_dir / "bonus.txt"; }

    void writeBonus(const std::string& bytes) const {
        std::ofstream out(bonusPath(), std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    // Lines named after their number: "候选人1", "候选人2", ...
    static std::string numberedList(int count, const char* ending = "\r\n") {
        std::string text;
        for (int i = 1; i <= count; ++i) {
            text += "候选人" + std::to_string(i) + ending;
        }
        return text;
    }

    void initialize(int count) {
        writeBonus(numberedList(count));
        engine.Cmd_Init_Click();
        ASSERT_FALSE(view.initEnabled) << "Initialize was refused";
    }

    // Start then Stop, with the given round size, and let the listing timer tick.
    void drawRound(const std::string& size) {
        typeRoundSize(view, engine, size);
        engine.Cmd_Start_Click();
        ASSERT_TRUE(view.rolling());
        engine.Cmd_Start_Click();
        ASSERT_TRUE(view.timer2);
        engine.Timer2_Timer();
    }

    std::vector<draw::NoticeKind> noticeKinds() const { return view.noticeKinds(); }

    // The names of the winners listed so far, each once.
    std::set<std::string> listedNames() const;

    std::filesystem::path m_dir;
    FakeView view;
    FakeServices services;
    draw::DrawEngine engine;
};

// The listed winners, in listing order, with their numbers.
struct ListedLine {
    int number;
    std::string name;
};
inline std::vector<ListedLine> listedLines(const draw::Results& results) {
    std::vector<ListedLine> lines;
    for (const draw::ResultEntry& entry : results.entries()) {
        lines.push_back({entry.number, entry.winner.name});
    }
    return lines;
}

inline std::set<std::string> DrawFixture::listedNames() const {
    std::set<std::string> names;
    for (const auto& line : listedLines(engine.results())) {
        EXPECT_TRUE(names.insert(line.name).second) << line.name << " listed twice";
    }
    return names;
}

// Upper critical value of the chi-square distribution at p = 0.001.
inline double chiSquareCritical001(int degreesOfFreedom) {
    static const double table[] = {0, 10.83, 13.82, 16.27, 18.47, 20.52};
    return table[degreesOfFreedom];
}

// Chi-square statistic of observed counts against a uniform expectation.
inline double chiSquare(const std::vector<int>& observed) {
    double total = 0;
    for (const int count : observed) {
        total += count;
    }
    const double expected = total / static_cast<double>(observed.size());
    double statistic = 0;
    for (const int count : observed) {
        statistic += (count - expected) * (count - expected) / expected;
    }
    return statistic;
}

} // namespace kelvara::testing
