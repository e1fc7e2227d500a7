// Figures of the draw with the real clock-seeded random source and the real file reader:
// the random index generator, Initialize, a start, the check of an edited list, the list
// check of its rows, a listing, a whole run and Save; Initialize and a start from a workbook
// list; the announcement's PDF and workbook.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>

#include <xlsxwriter.h>

#include "draw/draw_engine.h"
#include "draw/line_alignment.h"
#include "draw/list_check.h"
#include "draw/mixing.h"
#include "draw/verifiable_sequence.h"
#include "fakes/fake_services.h"
#include "fakes/fake_view.h"
#include "output/publication.h"
#include "output/results_output.h"
#include "platform/local_time_of_day.h"
#include "platform/qt_hashes.h"
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
    explicit Draw(const ListFolder& folder)
        : services(folder.path()), engine(view, view, services.forDraw()) {
        engine.startUp();
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
        const auto& s = draw.engine.state();
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

// The reader alone: 10,000 lines decoded, split and hashed.
void BM_ReadList10000(benchmark::State& state) {
    ListFolder folder(10000);
    BenchServices services(folder.path());
    const std::string path = folder.path() + "/bonus.txt";
    for (auto _ : state) {
        int lines = 0;
        const auto read =
            services.readTextLines(path, [&](std::string_view) { return ++lines > 0; });
        if (lines != 10000 || read.sha256.empty()) {
            state.SkipWithError("the list was not read whole");
        }
    }
}
BENCHMARK(BM_ReadList10000)->Unit(benchmark::kMillisecond);

// Initialize on a list replaced by a sparse file far larger than the memory: 20,000 lines
// and then 6 GB of nothing (argument 0), or three names and then 40 GB (argument 1). Both are
// refused after the first lines the reader needs, however large the file.
void BM_InitializeOnAHugeFile(benchmark::State& state) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("bonus.txt")));
    if (!file.open(QIODevice::WriteOnly)) {
        state.SkipWithError("no file");
        return;
    }
    QByteArray start = "A\r\nB\r\nC\r\n";
    if (state.range(0) == 0) {
        start.clear();
        for (int i = 1; i <= 20000; ++i) {
            start += "name " + QByteArray::number(i) + "\r\n";
        }
    }
    file.write(start);
    if (!file.resize((state.range(0) == 0 ? qint64{6} : qint64{40}) << 30)) {
        state.SkipWithError("no sparse files here");
        return;
    }
    file.close();
    for (auto _ : state) {
        testing::FakeView view;
        BenchServices services(dir.path().toStdString());
        draw::DrawEngine engine(view, view, services.forDraw());
        engine.Cmd_Init_Click();
        if (view.notices.size() != 1 || !view.initEnabled) {
            state.SkipWithError("the file was not refused");
        }
    }
}
BENCHMARK(BM_InitializeOnAHugeFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Initialize on a 10,000-name list beside a prize plan that is refused: 100,000 prizes of one
// winner each in 0.9 MB (argument 0), one line of 10 MB (1), or 10 MB of random bytes (2).
void BM_InitializeWithABadPrizePlan(benchmark::State& state) {
    ListFolder folder(10000);
    std::ofstream plan(std::filesystem::path(folder.path()) / u8"奖项.txt",
                       std::ios::binary | std::ios::trunc);
    std::mt19937 bytes(7);
    for (int i = 0; state.range(0) == 0 && i < 100000; ++i) {
        plan << i << " 1\n";
    }
    for (int i = 0; state.range(0) != 0 && i < 10 * 1024 * 1024; ++i) {
        plan.put(state.range(0) == 1 ? 'x' : static_cast<char>(bytes()));
    }
    plan.close();
    for (auto _ : state) {
        Draw draw(folder);
        draw.engine.Cmd_Init_Click();
        if (draw.view.noticeKinds() != std::vector{draw::NoticeKind::PrizePlanRefused}) {
            state.SkipWithError("the plan was not refused");
        }
    }
}
BENCHMARK(BM_InitializeWithABadPrizePlan)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_StartAllOf10000(benchmark::State& state) {
    ListFolder folder(10000);
    for (auto _ : state) {
        state.PauseTiming();
        auto draw = std::make_unique<Draw>(folder);
        draw->engine.Cmd_Init_Click();
        typeRoundSize(draw->view, draw->engine, "10000");
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
        typeRoundSize(draw->view, draw->engine, std::to_string(1));
        state.ResumeTiming();
        draw->engine.Cmd_Start_Click();
        state.PauseTiming();
        if (!draw->view.rolling()) {
            state.SkipWithError("the round did not start");
        }
        draw.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartOf10000WithOneEditedLine)->Unit(benchmark::kMillisecond);

// A folder with only a bonus.xlsx of 10,000 rows of three columns (工号, 姓名, 部门) under a
// header, as a spreadsheet program writes it: shared strings, one worksheet.
class WorkbookFolder {
public:
    WorkbookFolder() {
        const std::string path = m_dir.filePath(QStringLiteral("bonus.xlsx")).toStdString();
        lxw_workbook* book = workbook_new(path.c_str());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        const char* header[] = {"工号", "姓名", "部门"};
        const char* surnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄"};
        const char* departments[] = {"销售部", "技术部", "财务部", "人事部"};
        for (lxw_col_t col = 0; col < 3; ++col) {
            worksheet_write_string(sheet, 0, col, header[col], nullptr);
        }
        for (lxw_row_t row = 1; row <= 10000; ++row) {
            const std::string id = "2023" + std::to_string(100000 + row).substr(1);
            const std::string name = surnames[row % 8] + std::string("同学") + std::to_string(row);
            worksheet_write_string(sheet, row, 0, id.c_str(), nullptr);
            worksheet_write_string(sheet, row, 1, name.c_str(), nullptr);
            worksheet_write_string(sheet, row, 2, departments[row % 4], nullptr);
        }
        workbook_close(book);
    }
    std::string path() const { return m_dir.path().toStdString(); }

private:
    QTemporaryDir m_dir;
};

// Initialize from the workbook: unzipped, parsed and hashed row by row.
void BM_InitializeWorkbook10000(benchmark::State& state) {
    const WorkbookFolder folder;
    for (auto _ : state) {
        testing::FakeView view;
        BenchServices services(folder.path());
        draw::DrawEngine engine(view, view, services.forDraw());
        engine.startUp();
        engine.Cmd_Init_Click();
        if (engine.state().CandidateCount() != 10000) {
            state.SkipWithError("the workbook was not drawn from");
        }
    }
}
BENCHMARK(BM_InitializeWorkbook10000)->Unit(benchmark::kMillisecond);

// A Start from the workbook: the whole sheet is read again to check its rows.
void BM_StartOfWorkbook10000(benchmark::State& state) {
    const WorkbookFolder folder;
    for (auto _ : state) {
        state.PauseTiming();
        testing::FakeView view;
        BenchServices services(folder.path());
        auto engine = std::make_unique<draw::DrawEngine>(view, view, services.forDraw());
        engine->startUp();
        engine->Cmd_Init_Click();
        typeRoundSize(view, *engine, "1");
        state.ResumeTiming();
        engine->Cmd_Start_Click();
        state.PauseTiming();
        if (!view.rolling()) {
            state.SkipWithError("the round did not start");
        }
        engine.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartOfWorkbook10000)->Unit(benchmark::kMillisecond);

// The verifiable draw's sequence for a round of all 10,000 candidates: the key, 2,500 and
// more HMAC-SHA256 blocks by Qt, and the shuffle.
void BM_VerifiableRound10000(benchmark::State& state) {
    const platform::QtHashes hashes;
    draw::VerifiableInputs inputs;
    inputs.lines = 10000;
    inputs.publicInput = "314159265358";
    for (auto _ : state) {
        draw::VerifiableSequence sequence(hashes, inputs);
        int last = 0;
        for (int position = 1; position <= inputs.lines; ++position) {
            last = sequence.lineAt(position);
        }
        benchmark::DoNotOptimize(last);
    }
}
BENCHMARK(BM_VerifiableRound10000)->Unit(benchmark::kMillisecond);

// A housing procedure over 10,000 families: two groups, three tiers, 500 places by a second
// random order, and each group's whole waiting list.
class ProcedureFolder {
public:
    ProcedureFolder() {
        std::ofstream list(m_dir.filePath(QStringLiteral("bonus.txt")).toStdString(),
                           std::ios::binary);
        list << "姓名\t组别\t批次\r\n";
        for (int i = 1; i <= 10000; ++i) {
            list << "申请人" << i << '\t' << (i % 3 == 0 ? 'B' : 'A') << '\t' << 1 + i % 7 % 3
                 << "\r\n";
        }
        std::ofstream places(m_dir.filePath(QStringLiteral("房源.txt")).toStdString(),
                             std::ios::binary);
        places << "房号\t面积\r\n";
        for (int i = 1; i <= 500; ++i) {
            places << i / 100 + 1 << '-' << 100 + i % 100 << "\t90\r\n";
        }
        std::ofstream plan(m_dir.filePath(QStringLiteral("奖项.txt")).toStdString(),
                           std::ios::binary);
        plan << "A组住房 300 组别=A 批次=1>2>3 房源=随机\r\nA组候补 全部 组别=A 批次=1>2>3\r\n"
                "B组住房 200 组别=B 批次=1>2>3 房源=随机\r\nB组候补 全部 组别=B 批次=1>2>3\r\n";
    }
    std::string path() const { return m_dir.path().toStdString(); }

private:
    QTemporaryDir m_dir;
};

// The verifiable whole order of 10,000: the orders derived once the public input is in, and
// every person listed, round by round, with their places and waiting numbers.
void BM_WholeOrderVerifiable10000(benchmark::State& state) {
    const ProcedureFolder folder;
    for (auto _ : state) {
        state.PauseTiming();
        testing::FakeView view;
        BenchServices services(folder.path());
        draw::DrawEngine engine(view, view, services.forDraw());
        engine.startUp();
        engine.setVerifiable(true);
        engine.Cmd_Init_Click();
        state.ResumeTiming();
        engine.acceptPublicInput({"20261209", "73051946"});
        for (int prize = 1; prize <= 4; ++prize) {
            engine.choosePrize(prize);
            typeRoundSize(view, engine, std::to_string(engine.results().placesLeft(prize)));
            engine.Cmd_Start_Click();
            engine.Cmd_Start_Click();
            engine.Timer2_Timer();
        }
        state.PauseTiming();
        if (engine.results().entries().size() != 10000) {
            state.SkipWithError("the whole order was not listed");
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WholeOrderVerifiable10000)->Unit(benchmark::kMillisecond);

std::vector<draw::LineHash> NumberedHashes(int count, const char* suffix = "") {
    std::vector<draw::LineHash> hashes;
    for (int i = 1; i <= count; ++i) {
        std::string line = "同学";
        line += std::to_string(i);
        line += suffix;
        hashes.push_back(draw::hashLine(line));
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
        after[5000] = draw::hashLine("改过的名字");
        break;
    case 1:
        std::rotate(after.begin(), after.begin() + 1, after.end());
        break;
    default:
        std::rotate(after.begin(), after.begin() + 1, after.end());
        for (std::size_t i = 0; i < after.size(); i += 2) {
            std::string line = "新";
            line += std::to_string(i);
            after[i] = draw::hashLine(line);
        }
        break;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(draw::linesInsertedOrRemoved(before, after));
    }
}
BENCHMARK(BM_LineCheck10000)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The list check at Initialize: 10,000 rows under 姓名/身份证号/手机/部门, each ID with the
// check digit that fits, five rows repeated whole and five IDs shared.
void BM_ListCheck10000(benchmark::State& state) {
    const std::vector<std::string> header{"姓名", "身份证号", "手机", "部门"};
    std::vector<std::string> lines;
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(10'000'000 + i).substr(1);
        std::string id = "1101011990" + n + "0";
        for (const char last : std::string_view("0123456789X")) {
            id.back() = last;
            if (draw::idCheckDigitHolds(id)) {
                break;
            }
        }
        lines.push_back("同学" + std::to_string(i) + "\t" + id + "\t139" + n + "0\t部门" +
                        std::to_string(i % 10));
    }
    for (int k = 0; k < 10; ++k) {
        const auto original = static_cast<std::size_t>(1000 * k + 100);
        lines[original + 400] =
            k < 5 ? lines[original] : "另一人\t" + platform::splitFields(lines[original])[1];
    }
    std::vector<draw::CheckedRow> rows;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        rows.push_back({static_cast<int>(i) + 2, lines[i], platform::splitFields(lines[i])});
    }
    const draw::RowFormat format = draw::RowFormat::of(header, 4);
    for (auto _ : state) {
        benchmark::DoNotOptimize(draw::checkList(rows, format));
    }
}
BENCHMARK(BM_ListCheck10000)->Unit(benchmark::kMillisecond);

// The listing of a round of 5,000 behind 5,000 listed winners: the mixing, the results, the
// results box's text and the record.
void BM_List5000Behind5000(benchmark::State& state) {
    ListFolder folder(10000);
    for (auto _ : state) {
        state.PauseTiming();
        auto draw = std::make_unique<Draw>(folder);
        draw->engine.Cmd_Init_Click();
        typeRoundSize(draw->view, draw->engine, "5000");
        for (int round = 0; round < 2; ++round) {
            draw->engine.completePendingListing();
            draw->engine.Cmd_Start_Click();
            draw->engine.Cmd_Start_Click();
        }
        state.ResumeTiming();
        draw->engine.Timer2_Timer();
        state.PauseTiming();
        if (draw->engine.results().entries().size() != 10000) {
            state.SkipWithError("the round was not listed");
        }
        draw.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_List5000Behind5000)->Unit(benchmark::kMillisecond);

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

// A record of the folder's list, begun at 19:30:05, with its head and then `rounds`.
void WriteRecord(const ListFolder& folder, const std::string& rounds) {
    BenchServices services(folder.path());
    const auto list =
        services.readTextLines(folder.path() + "/bonus.txt", [](std::string_view) { return true; });
    services.records().create({2026, 12, 7, 19, 30, 5});
    services.records().append("Kelvara V1.0.0 摇号记录\r\n名单：bonus.txt，共10000条，SHA-256 " +
                              list.sha256 + "\r\n初始化：2026-12-07 19:30:05\r\n" + rounds);
}

// One round of 100 appended to a record that holds 9,900 winners, synced to the disk.
void BM_RecordRoundOf100(benchmark::State& state) {
    ListFolder folder(10000);
    BenchServices services(folder.path());
    draw::DrawRecorder recorder(services.records(), services, services, services);
    const std::vector<draw::LineHash> lineHashes(10000, 0);
    bool failed = recorder.beginRun(std::string(64, '0'), lineHashes, {}).has_value();
    services.records().append(RecordRounds(9900));
    std::vector<draw::ResultEntry> round;
    for (int i = 0; i < 100; ++i) {
        round.push_back({9901 + i,
                         {9901 + i, "李同学" + std::to_string(9901 + i)},
                         100,
                         services.localDateTime()});
    }
    for (auto _ : state) {
        failed = recorder.addRound(round).has_value() || failed;
    }
    if (failed) {
        state.SkipWithError("the record could not be written");
    }
}
BENCHMARK(BM_RecordRoundOf100)->Unit(benchmark::kMillisecond);

// Continuing a run of a 10,000-line list with 9,000 recorded winners: reading the record,
// Initialize, marking the recorded lines and restoring the results.
void BM_Continue9000Of10000(benchmark::State& state) {
    ListFolder folder(10000);
    WriteRecord(folder, RecordRounds(9000));
    for (auto _ : state) {
        state.PauseTiming();
        auto draw = std::make_unique<Draw>(folder);
        state.ResumeTiming();
        if (const auto offer = draw->engine.unfinishedRun()) {
            draw->engine.continueRun(*offer);
        }
        state.PauseTiming();
        if (draw->engine.state().RemainingCount != 1000) {
            state.SkipWithError("the run was not continued");
        }
        // Leave the record as it was for the next round of the benchmark.
        draw.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Continue9000Of10000)->Unit(benchmark::kMillisecond);

// Start-up with a record nobody should meet: 9,000 winners and then 200 MB that a power cut
// left without a line end (argument 0: the run is offered), or a round whose time is 2 MB
// long (argument 1: the record is told as damaged). Reading and checking the record.
void BM_UnfinishedRunOfAHugeRecord(benchmark::State& state) {
    ListFolder folder(10000);
    if (state.range(0) == 0) {
        WriteRecord(folder, RecordRounds(9000) + std::string(200'000'000, 'x'));
    } else {
        std::string time;
        for (int k = 0; k < 700'000; ++k) {
            time += "时";
        }
        WriteRecord(folder, "第1轮：" + time + "，1人\r\n[1]:\t第1行\t王同学1\r\n");
    }
    Draw draw(folder);
    for (auto _ : state) {
        const bool offered = draw.engine.unfinishedRun().has_value();
        if (offered != (state.range(0) == 0)) {
            state.SkipWithError("the record was not read as it should be");
        }
    }
}
BENCHMARK(BM_UnfinishedRunOfAHugeRecord)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Fairness of the listing order for a round of 10,000: the mean number of winners that keep
// their file-order place is 1 for a uniform order. Argument 0 mixes with the former fixed
// 6 x 10001 steps, 1 with the steps the listing uses now. Fast deterministic random source.
void BM_ListingFixedPoints10000(benchmark::State& state) {
    constexpr int kWinners = 10000;
    const int innerSteps =
        state.range(0) == 0 ? 10001 : draw::DrawEngine::listingInnerSteps(kWinners);
    platform::MixedRandomSource random(testing::SteppingTime{}, 20261207);
    std::int64_t shuffles = 0;
    std::int64_t fixedPoints = 0;
    std::vector<int> order(kWinners);
    for (auto _ : state) {
        std::iota(order.begin(), order.end(), 0);
        draw::mixByTranspositions(random, order, 5, innerSteps - 1);
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
        typeRoundSize(draw.view, draw.engine, "100");
        for (int round = 0; round < 100; ++round) {
            draw.engine.Cmd_Start_Click();
            draw.engine.Cmd_Start_Click();
            draw.engine.Timer2_Timer();
        }
        if (draw.engine.state().RemainingCount != 0) {
            state.SkipWithError("the run did not draw every candidate");
        }
    }
}
BENCHMARK(BM_WholeRun10000InRoundsOf100)->Unit(benchmark::kSecond)->Iterations(1);

// Save of 10,000 winners in rounds of 100 with a plan of three prizes: the results file and
// the workbook, through the real services.
void BM_SaveResultsWorkbook10000(benchmark::State& state) {
    QTemporaryDir folder;
    BenchServices services(folder.path().toStdString());
    draw::Results results;
    results.setPrizes({{"三等奖", 7000}, {"二等奖", 2000}, {"一等奖", 1000}});
    for (int round = 0; round < 100; ++round) {
        std::vector<draw::ResultEntry> entries;
        for (int i = 1; i <= 100; ++i) {
            const int number = round * 100 + i;
            entries.push_back({number,
                               {number, "王同学" + std::to_string(number)},
                               0,
                               {2026, 12, 7, 19 + round / 60, round % 60, 5}});
        }
        results.addRound(std::move(entries), round < 70 ? 1 : round < 90 ? 2 : 3);
    }
    output::ResultsOutput saving(services, services, services);
    for (auto _ : state) {
        if (saving.save(results)) {
            state.SkipWithError("the results could not be saved");
        }
    }
    state.counters["workbook_bytes"] =
        static_cast<double>(QFileInfo(QString::fromStdString(saving.workbookPath())).size());
}
BENCHMARK(BM_SaveResultsWorkbook10000)->Unit(benchmark::kMillisecond);

// The announcement of 10,000 winners with a plan of three prizes and three shown columns:
// the PDF, then the workbook, through the real services.
void BM_Publication10000(benchmark::State& state) {
    QTemporaryDir folder;
    BenchServices services(folder.path().toStdString());
    output::Publication publication;
    publication.title = "2026年阳光小区车位摇号";
    publication.date = "2026年12月8日";
    publication.listName = "bonus.xlsx";
    publication.listCount = 12000;
    publication.listSha256 = std::string(64, 'a');
    publication.columns = {"姓名", "身份证号", "部门"};
    publication.withPrizes = true;
    const char* departments[] = {"物业管理处", "业主委员会", "三号楼",
                                 "市场部（华东区域销售二组）"};
    for (int n = 1; n <= 10000; ++n) {
        const char* prize = n <= 1000 ? "一等奖" : n <= 3000 ? "二等奖" : "三等奖";
        publication.rows.push_back(
            {n,
             prize,
             {"王同学" + std::to_string(n), "110101********" + std::to_string(10000 + n).substr(1),
              departments[n % 4]},
             n % 97 == 0});
    }
    output::ResultsOutput publishing(services, services, services);
    for (auto _ : state) {
        if (publishing.publish(publication)) {
            state.SkipWithError("the announcement could not be written");
        }
    }
    state.counters["pdf_bytes"] = static_cast<double>(
        QFileInfo(QString::fromStdString(publishing.publicationPdfPath())).size());
    state.counters["workbook_bytes"] = static_cast<double>(
        QFileInfo(QString::fromStdString(publishing.publicationWorkbookPath())).size());
}
BENCHMARK(BM_Publication10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The announcement's PDF needs the font database of a GUI application, and no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
