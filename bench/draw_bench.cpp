// Figures of the draw with the real clock-seeded random source and the real file reader:
// the random index generator, Initialize, a start, the check of an edited list, a listing
// and a whole run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <numeric>
#include <random>

#include "draw/draw_engine.h"
#include "draw/line_alignment.h"
#include "draw/mixing.h"
#include "fakes/fake_services.h"
#include "fakes/fake_view.h"
#include "platform/local_time_of_day.h"
#include "support/real_services_in.h"

namespace {

using namespace kelvara;

using BenchServices = testing::RealServicesIn;

// A folder with a bonus.txt of the given number of made-up names.
class ListFolder {
public:
    explicit ListFolder(int lines) {
        write(m_dir.filePath(QStringLiteral("bonus.txt")).toStdString(), lines);
    }

    // The list, with line `edited` (if any) changed where it stands.
    static void write(const std::string& file, int lines, int edited = 0) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        const char* surnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄"};
        for (int i = 1; i <= lines; ++i) {
            out << surnames[i % 8] << "同学" << i << (i == edited ? "（改）" : "") << "\r\n";
        }
    }
    std::string path() const { return m_dir.path().toStdString(); }

private:
    QTemporaryDir m_dir;
};

struct Draw {
    explicit Draw(const ListFolder& folder) : services(folder.path()), engine(view, services) {
        engine.StartUp();
    }
    testing::FakeView view;
    BenchServices services;
    draw::DrawEngine engine;
};

void BM_GenRndArray(benchmark::State& state) {
    ListFolder folder(2);
    Draw draw(folder);
    const auto myNum = static_cast<std::int16_t>(state.range(0));
    const auto neededNum = static_cast<std::int16_t>(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(draw.engine.GenRndArray(myNum, neededNum));
    }
}
BENCHMARK(BM_GenRndArray)->Args({10000, 10000})->Args({2, 1})->Unit(benchmark::kMillisecond);

// The floor of the generator: its 501,501 steps read the clock four times each.
void BM_ClockReadingsOfOneGeneratorCall(benchmark::State& state) {
    platform::LocalTimeOfDay clock;
    for (auto _ : state) {
        for (int i = 0; i < 4 * 501'501; ++i) {
            benchmark::DoNotOptimize(clock());
        }
    }
}
BENCHMARK(BM_ClockReadingsOfOneGeneratorCall)->Unit(benchmark::kMillisecond);

void BM_Initialize10000(benchmark::State& state) {
    ListFolder folder(10000);
    for (auto _ : state) {
        Draw draw(folder);
        draw.engine.Cmd_Init_Click();
        const auto& s = draw.engine.State();
        std::size_t sampleBytes = 0;
        for (const auto& name : s.RollSample) {
            sampleBytes += name.capacity();
        }
        // What stays in memory after Initialize: flags, line numbers and the sample only.
        state.counters["flag_bytes"] = static_cast<double>(s.DrawnFlags.capacity() / 8);
        state.counters["line_number_bytes"] =
            static_cast<double>(s.LinePermutation.capacity() * sizeof(std::int16_t));
        state.counters["sample_names"] = static_cast<double>(s.RollSample.size());
        state.counters["sample_bytes"] = static_cast<double>(sampleBytes);
    }
}
BENCHMARK(BM_Initialize10000)->Unit(benchmark::kMillisecond);

void BM_StartAllOf10000(benchmark::State& state) {
    ListFolder folder(10000);
    for (auto _ : state) {
        state.PauseTiming();
        auto draw = std::make_unique<Draw>(folder);
        draw->engine.Cmd_Init_Click();
        draw->view.roundSize = "10000";
        state.ResumeTiming();
        draw->engine.Cmd_Start_Click();
        state.PauseTiming();
        draw.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartAllOf10000)->Unit(benchmark::kMillisecond);

// A start after one line of the 10000 was edited: the whole list is read and its line
// hashes are aligned with those of Initialize before the winners are marked.
void BM_StartOf10000WithOneEditedLine(benchmark::State& state) {
    ListFolder folder(10000);
    const std::string bonus = folder.path() + "/bonus.txt";
    for (auto _ : state) {
        state.PauseTiming();
        ListFolder::write(bonus, 10000);
        auto draw = std::make_unique<Draw>(folder);
        draw->engine.Cmd_Init_Click();
        ListFolder::write(bonus, 10000, 5000);
        draw->view.roundSize = std::to_string(1);
        state.ResumeTiming();
        draw->engine.Cmd_Start_Click();
        state.PauseTiming();
        if (draw->view.startCaptionText != draw::text::kStopCaption) {
            state.SkipWithError("the round did not start");
        }
        draw.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartOf10000WithOneEditedLine)->Unit(benchmark::kMillisecond);

std::vector<draw::LineHash> NumberedHashes(int count, const char* suffix = "") {
    std::vector<draw::LineHash> hashes;
    for (int i = 1; i <= count; ++i) {
        std::string line = "同学";
        line += std::to_string(i);
        line += suffix;
        hashes.push_back(draw::HashLine(line));
    }
    return hashes;
}

// The line check alone: one edited line; a line moved from the top to the bottom; and the
// hardest case, every other line edited behind a shift by one.
void BM_LineCheck10000(benchmark::State& state) {
    const auto before = NumberedHashes(10000);
    auto after = before;
    switch (state.range(0)) {
    case 0:
        after[5000] = draw::HashLine("改过的名字");
        break;
    case 1:
        std::rotate(after.begin(), after.begin() + 1, after.end());
        break;
    default:
        std::rotate(after.begin(), after.begin() + 1, after.end());
        for (std::size_t i = 0; i < after.size(); i += 2) {
            std::string line = "新";
            line += std::to_string(i);
            after[i] = draw::HashLine(line);
        }
        break;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(draw::LinesInsertedOrRemoved(before, after));
    }
}
BENCHMARK(BM_LineCheck10000)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_List10000Behind10000Lines(benchmark::State& state) {
    ListFolder folder(10000);
    std::string fullBox = "摇号结果\r\n";
    for (int i = 1; i <= 10000; ++i) {
        fullBox += "\r\n[" + std::to_string(i) + "]:\t王同学" + std::to_string(i);
    }
    Draw draw(folder);
    draw.engine.Cmd_Init_Click();
    draw.view.roundSize = "10000";
    draw.engine.Cmd_Start_Click();
    draw.engine.Cmd_Start_Click();
    for (auto _ : state) {
        state.PauseTiming();
        draw.view.results = fullBox;
        draw.view.timer2 = true;
        state.ResumeTiming();
        draw.engine.Timer2_Timer();
        state.PauseTiming();
        // Arm the same round again for the next iteration.
        draw.view.startCaptionText = draw::text::kStopCaption;
        draw.engine.Cmd_Start_Click();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_List10000Behind10000Lines)->Unit(benchmark::kMillisecond);

// A record's text of `winners` winners in rounds of 100, after its head.
std::string RecordRounds(int winners) {
    std::string text;
    for (int number = 1; number <= winners; ++number) {
        const std::string n = std::to_string(number);
        if (number % 100 == 1) {
            text += "第";
            text += std::to_string(number / 100 + 1);
            text += "轮：2026-12-07 19:31:12，100人\r\n";
        }
        text += '[';
        text += n;
        text += "]:\t第";
        text += n;
        text += "行\t王同学";
        text += n;
        text += "\r\n";
    }
    return text;
}

// One round of 100 appended to a record that holds 9,900 winners, synced to the disk.
void BM_RecordRoundOf100(benchmark::State& state) {
    ListFolder folder(10000);
    BenchServices services(folder.path());
    draw::DrawRecorder recorder(services);
    recorder.Begin(10000, services.fileSha256(folder.path() + "/bonus.txt"));
    services.records().append(RecordRounds(9900));
    std::vector<std::string> names;
    std::vector<draw::ListedWinner> round;
    for (int i = 0; i < 100; ++i) {
        std::string name = "李同学";
        name += std::to_string(9901 + i);
        names.push_back(std::move(name));
    }
    for (int i = 0; i < 100; ++i) {
        round.push_back({static_cast<std::int16_t>(9901 + i), static_cast<std::int16_t>(9901 + i),
                         names[static_cast<std::size_t>(i)]});
    }
    for (auto _ : state) {
        recorder.AddRound(round);
    }
    if (!services.messages.empty()) {
        state.SkipWithError("the record could not be written");
    }
}
BENCHMARK(BM_RecordRoundOf100)->Unit(benchmark::kMillisecond);

// Continuing a run of a 10,000-line list with 9,000 recorded winners: Initialize, marking
// the recorded lines, reading their names again and rebuilding the results box.
void BM_Continue9000Of10000(benchmark::State& state) {
    ListFolder folder(10000);
    {
        BenchServices services(folder.path());
        services.records().create("摇号记录_20261207_193005");
        services.records().append(
            "Kelvara V1.0.0 摇号记录\r\n名单：bonus.txt，共10000条，SHA-256 " +
            services.fileSha256(folder.path() + "/bonus.txt") +
            "\r\n初始化：2026-12-07 19:30:05\r\n" + RecordRounds(9000));
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto draw = std::make_unique<Draw>(folder);
        state.ResumeTiming();
        draw->engine.OfferToContinue();
        state.PauseTiming();
        if (draw->engine.State().RemainingCount != 1000) {
            state.SkipWithError("the run was not continued");
        }
        // Leave the record as it was for the next round of the benchmark.
        draw.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Continue9000Of10000)->Unit(benchmark::kMillisecond);

// Fairness of the listing order for a round of 10,000: the mean number of winners that keep
// their file-order place is 1 for a uniform order. Argument 0 mixes with the former fixed
// 6 x 10001 steps, 1 with the steps the listing uses now. Fast deterministic random source.
void BM_ListingFixedPoints10000(benchmark::State& state) {
    constexpr int kWinners = 10000;
    const int innerSteps =
        state.range(0) == 0 ? 10001 : draw::DrawEngine::ListingInnerSteps(kWinners);
    platform::MixedRandomSource random(testing::SteppingTime{}, 20261207);
    std::int64_t shuffles = 0;
    std::int64_t fixedPoints = 0;
    std::vector<int> order(kWinners);
    for (auto _ : state) {
        std::iota(order.begin(), order.end(), 0);
        draw::MixByTranspositions(random, order, 5, innerSteps - 1);
        for (int i = 0; i < kWinners; ++i) {
            fixedPoints += order[static_cast<std::size_t>(i)] == i ? 1 : 0;
        }
        ++shuffles;
    }
    const double mean = static_cast<double>(fixedPoints) / static_cast<double>(shuffles);
    state.counters["shuffles"] = static_cast<double>(shuffles);
    state.counters["fixed_per_shuffle"] = mean;
    // The count is close to Poisson(1) per shuffle: z against a uniform order.
    state.counters["z"] = (mean - 1.0) * std::sqrt(static_cast<double>(shuffles));
}
BENCHMARK(BM_ListingFixedPoints10000)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3000)
    ->Unit(benchmark::kMillisecond);

void BM_WholeRun10000InRoundsOf100(benchmark::State& state) {
    ListFolder folder(10000);
    for (auto _ : state) {
        Draw draw(folder);
        draw.engine.Cmd_Init_Click();
        draw.view.roundSize = "100";
        for (int round = 0; round < 100; ++round) {
            draw.engine.Cmd_Start_Click();
            draw.engine.Cmd_Start_Click();
            draw.engine.Timer2_Timer();
        }
        if (draw.engine.State().RemainingCount != 0) {
            state.SkipWithError("the run did not draw every candidate");
        }
    }
}
BENCHMARK(BM_WholeRun10000InRoundsOf100)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
