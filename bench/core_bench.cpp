// Benchmarks of the portable core on the sim: one command click, the text join, and whether
// finding a unit depends on its list position or on the size of the form.
//
//   core_bench [Google Benchmark flags]    the benchmarks, then the ratios that matter
//   core_bench --startup-heap              the heap in use after start, and nothing else
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "toolkit/sim/sim.h"
#include "commands/commands.h"
#include "commands/handler_table.h"
#include "formkit/main_window.h"
#include "frame/frame.h"
#include "resources/form_bytes.h"
#include "support/session.h"
#include "window/control.h"
#include "window/open_window.h"

namespace {

constexpr std::uint32_t MAIN_WINDOW = 0x52010001;
constexpr std::uint32_t ID_查看玩家所有领地 = 0x160100c3;  // list position 1, the first
constexpr std::uint32_t ID_创建领地 = 0x1601009d;          // position 36, the last command button
constexpr std::uint32_t ID_给予玩家领地 = 0x16010096;
constexpr std::uint32_t ID_分组框1 = 0x16010077;           // position 43, the last unit
constexpr std::uint32_t ID_领地名2 = 0x1601009e;
constexpr std::uint32_t ID_玩家名 = 0x1601009a;
constexpr std::uint32_t ID_复制1 = 0x160100a2;
constexpr std::int32_t UNBOUND_EVENT = 7;  // no unit binds it: raise_event only finds the unit

// --- the synthetic form -------------------------------------------------------------------

constexpr std::size_t SYNTHETIC_UNITS = 4000;
constexpr std::uint32_t EXTRA_GROUP_ID = 0x16100000;

// MainWindow as stored, plus one more group frame holding enough buttons for 4,000 units.
// Every extra button is bound to the handler of 给予玩家领地, so that clicking the last one does
// the same work as clicking the real button.
const std::vector<std::uint8_t>& synthetic_form() {
    static const std::vector<std::uint8_t> bytes = [] {
        formkit::Window w = formkit::main_window();
        formkit::GroupBoxSettings g;
        g.caption = "更多";
        formkit::Unit group;
        group.id = EXTRA_GROUP_ID;
        group.kind = form::KIND_GROUP_BOX;
        group.name = "分组框更多";
        group.left = 0;
        group.top = 0;
        group.width = 600;
        group.height = 340;
        group.mouse_pointer = formkit::Bytes(4, 0);
        group.flags = form::FLAG_VISIBLE;
        group.settings = formkit::encode(g);
        w.units.push_back(group);
        for (std::uint32_t i = 1; w.units.size() < SYNTHETIC_UNITS; ++i) {
            formkit::ButtonSettings b;
            b.caption = "按钮" + std::to_string(i);
            formkit::Unit u;
            u.id = EXTRA_GROUP_ID + i;
            u.kind = form::KIND_BUTTON;
            u.name = b.caption;
            u.left = std::int32_t(i % 60) * 10;
            u.top = std::int32_t(i / 60) * 5;
            u.width = 9;
            u.height = 4;
            u.parent = EXTRA_GROUP_ID;
            u.mouse_pointer = formkit::Bytes(4, 0);
            u.flags = form::FLAG_VISIBLE | form::FLAG_TAB_STOP;
            u.events = {{0, commands::H_给予玩家领地}};
            u.settings = formkit::encode(b);
            w.units.push_back(u);
        }
        formkit::fill_children(w.units);
        formkit::Form f;
        f.windows.push_back(std::move(w));
        return formkit::write_form(f);
    }();
    return bytes;
}

std::uint32_t last_synthetic_id() { return EXTRA_GROUP_ID + std::uint32_t(SYNTHETIC_UNITS - 45); }

// --- the program on sim with a plain heap ----------------------------------------------------

// The frame is one global: each benchmark starts the program, runs, and stops it again.
struct Running {
    sim::SimToolkit toolkit;
    explicit Running(std::span<const std::uint8_t> form) {
        toolkit.use_plain_heap(true);  // time the program's text work, not the sim's checks
        frame::reset_frame_for_tests();
        frame::start_frame(toolkit, form, commands::program_handlers);
        if (!ui::open_window(MAIN_WINDOW)) {
            std::fprintf(stderr, "MainWindow did not open\n");
            std::exit(1);
        }
    }
    ~Running() {
        ui::release_all_controls();
        frame::reset_frame_for_tests();
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    const form::UnitRecord& unit(std::uint32_t id) { return *frame::templates().find(MAIN_WINDOW)->find(id); }
    tk::Handle handle(std::uint32_t id) { return unit(id).object_slot->handle; }
    std::string text(std::uint32_t id) { return toolkit.text(handle(id)); }
    void fill_fields() {
        toolkit.set_text(handle(ID_领地名2), "home");
        toolkit.set_text(handle(ID_玩家名), "guest");
    }
    std::size_t units() { return frame::templates().find(MAIN_WINDOW)->units.size(); }
};

Running* real_form() { return new Running(resources::main_window_form()); }
Running* big_form() { return new Running(synthetic_form()); }

// Runs the click once outside the timing and checks what it wrote, so that a benchmark never
// times a click that does nothing.
bool wrote(benchmark::State& state, Running& p, std::uint32_t button, const char* expected) {
    p.toolkit.set_text(p.handle(ID_复制1), "");
    frame::raise_event(MAIN_WINDOW, button, 0);
    if (p.text(ID_复制1) == expected) return true;
    state.SkipWithError("the click did not write the expected command");
    return false;
}

void finish(benchmark::State& state, Running& p) {
    if (p.toolkit.live_blocks() != 0) state.SkipWithError("Text blocks left live");
    state.counters["units"] = double(p.units());
}

// --- (a) one two-field command ------------------------------------------------------------

void BM_TwoFieldCommand_RaiseEvent(benchmark::State& state) {
    std::unique_ptr<Running> p(real_form());
    p->fill_fields();
    if (!wrote(state, *p, ID_给予玩家领地, "/res give home guest")) return;
    for (auto _ : state) frame::raise_event(MAIN_WINDOW, ID_给予玩家领地, 0);
    finish(state, *p);
}
BENCHMARK(BM_TwoFieldCommand_RaiseEvent);

// The whole road of a click: the sim's button, its group frame, the window layer, the frame.
void BM_TwoFieldCommand_SimClick(benchmark::State& state) {
    std::unique_ptr<Running> p(real_form());
    p->fill_fields();
    if (!wrote(state, *p, ID_给予玩家领地, "/res give home guest")) return;
    const tk::Handle button = p->handle(ID_给予玩家领地);
    for (auto _ : state) p->toolkit.click(button);
    finish(state, *p);
}
BENCHMARK(BM_TwoFieldCommand_SimClick);

// --- (b) join_texts of five parts ---------------------------------------------------------

void BM_JoinFiveParts(benchmark::State& state) {
    std::unique_ptr<Running> p(real_form());
    for (auto _ : state) {
        frame::Text t = commands::join_texts({"/res pset ", "home", " ", "guest", " removeall"});
        benchmark::DoNotOptimize(t);
        frame::release_text(t);
    }
    finish(state, *p);
}
BENCHMARK(BM_JoinFiveParts);

// --- (c) list position: the first-listed unit against the last-listed ones ------------------

// A one-field command at either end of the command buttons: the same work at two positions.
void BM_Click_FirstListed(benchmark::State& state) {
    std::unique_ptr<Running> p(real_form());
    p->fill_fields();
    if (!wrote(state, *p, ID_查看玩家所有领地, "/res list guest")) return;
    for (auto _ : state) frame::raise_event(MAIN_WINDOW, ID_查看玩家所有领地, 0);
    finish(state, *p);
}
BENCHMARK(BM_Click_FirstListed);

void BM_Click_LastListed(benchmark::State& state) {
    std::unique_ptr<Running> p(real_form());
    p->toolkit.set_text(p->handle(ID_领地名2), "guest");  // as long as the player name above
    if (!wrote(state, *p, ID_创建领地, "/res create guest")) return;
    for (auto _ : state) frame::raise_event(MAIN_WINDOW, ID_创建领地, 0);
    finish(state, *p);
}
BENCHMARK(BM_Click_LastListed);

// The lookup alone: an event that no unit binds, raised at the first and at the last unit.
void lookup(benchmark::State& state, std::unique_ptr<Running> p, std::uint32_t unit) {
    for (auto _ : state) frame::raise_event(MAIN_WINDOW, unit, UNBOUND_EVENT);
    finish(state, *p);
}
void BM_Lookup_FirstListed(benchmark::State& state) {
    lookup(state, std::unique_ptr<Running>(real_form()), ID_查看玩家所有领地);
}
BENCHMARK(BM_Lookup_FirstListed);
void BM_Lookup_LastListed(benchmark::State& state) {
    lookup(state, std::unique_ptr<Running>(real_form()), ID_分组框1);
}
BENCHMARK(BM_Lookup_LastListed);

// --- (d) form size: 4,000 units against the real 44 ----------------------------------------

// The real form's 给予玩家领地 against the last of 4,000 units, bound to the same handler.
void BM_Click_RealForm44(benchmark::State& state) {
    std::unique_ptr<Running> p(real_form());
    p->fill_fields();
    if (!wrote(state, *p, ID_给予玩家领地, "/res give home guest")) return;
    for (auto _ : state) frame::raise_event(MAIN_WINDOW, ID_给予玩家领地, 0);
    finish(state, *p);
}
BENCHMARK(BM_Click_RealForm44);

void BM_Click_SyntheticForm4000(benchmark::State& state) {
    std::unique_ptr<Running> p(big_form());
    if (p->units() != SYNTHETIC_UNITS) {
        state.SkipWithError("the synthetic form does not have 4,000 units");
        return;
    }
    p->fill_fields();
    if (!wrote(state, *p, last_synthetic_id(), "/res give home guest")) return;
    for (auto _ : state) frame::raise_event(MAIN_WINDOW, last_synthetic_id(), 0);
    finish(state, *p);
}
BENCHMARK(BM_Click_SyntheticForm4000);

// The same through the sim's button, so that the window layer's routing is timed as well.
void sim_click(benchmark::State& state, Running& p, std::uint32_t button) {
    p.fill_fields();
    if (!wrote(state, p, button, "/res give home guest")) return;
    const tk::Handle h = p.handle(button);
    for (auto _ : state) p.toolkit.click(h);
    finish(state, p);
}
void BM_SimClick_RealForm44(benchmark::State& state) {
    std::unique_ptr<Running> p(real_form());
    sim_click(state, *p, ID_给予玩家领地);
}
BENCHMARK(BM_SimClick_RealForm44);
void BM_SimClick_SyntheticForm4000(benchmark::State& state) {
    std::unique_ptr<Running> p(big_form());
    sim_click(state, *p, last_synthetic_id());
}
BENCHMARK(BM_SimClick_SyntheticForm4000);

void BM_Lookup_RealForm44(benchmark::State& state) {
    lookup(state, std::unique_ptr<Running>(real_form()), ID_分组框1);
}
BENCHMARK(BM_Lookup_RealForm44);
void BM_Lookup_SyntheticForm4000(benchmark::State& state) {
    lookup(state, std::unique_ptr<Running>(big_form()), last_synthetic_id());
}
BENCHMARK(BM_Lookup_SyntheticForm4000);

// For scale: what finding the last unit by walking the list would cost.
void BM_LinearScan_SyntheticForm4000(benchmark::State& state) {
    std::unique_ptr<Running> p(big_form());
    const std::vector<form::UnitRecord>& units = frame::templates().find(MAIN_WINDOW)->units;
    std::uint32_t wanted = last_synthetic_id();
    for (auto _ : state) {
        benchmark::DoNotOptimize(wanted);
        const form::UnitRecord* found = nullptr;
        for (const form::UnitRecord& u : units)
            if (u.id == wanted) {
                found = &u;
                break;
            }
        benchmark::DoNotOptimize(found);
    }
    finish(state, *p);
}
BENCHMARK(BM_LinearScan_SyntheticForm4000);

// --- (e) join throughput: five parts of 1 KB against five of 1 MB ---------------------------

void BM_JoinFiveParts_Bytes(benchmark::State& state) {
    std::unique_ptr<Running> p(real_form());
    const std::size_t size = std::size_t(state.range(0));
    std::vector<std::string> parts;
    for (char c : {'a', 'b', 'c', 'd', 'e'}) parts.emplace_back(size, c);
    for (auto _ : state) {
        frame::Text t = commands::join_texts(
            {parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), parts[3].c_str(), parts[4].c_str()});
        benchmark::DoNotOptimize(t);
        frame::release_text(t);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(5 * size));
    finish(state, *p);
}
BENCHMARK(BM_JoinFiveParts_Bytes)->Arg(1 << 10)->Arg(1 << 20);

// --- reporting ----------------------------------------------------------------------------

// The console report as usual, keeping each result for the ratios: the median when the runs
// were repeated, else the single run.
struct Keeping : benchmark::ConsoleReporter {
    Keeping() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, Run> runs;
    std::map<std::string, bool> is_median;
    void ReportRuns(const std::vector<Run>& report) override {
        for (const Run& r : report) {
            if (r.error_occurred) continue;
            const std::string key = r.run_name.str();
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
                runs[key] = r;
                is_median[key] = true;
            } else if (r.run_type == Run::RT_Iteration && !is_median[key]) {
                runs[key] = r;
            }
        }
        ConsoleReporter::ReportRuns(report);
    }
};

void print_ratio(const Keeping& k, const char* what, const char* a, const char* b) {
    auto ia = k.runs.find(a), ib = k.runs.find(b);
    if (ia == k.runs.end() || ib == k.runs.end()) {
        std::printf("  %-58s (not run)\n", what);
        return;
    }
    const double ta = ia->second.GetAdjustedCPUTime(), tb = ib->second.GetAdjustedCPUTime();
    std::printf("  %-58s %9.1f ns / %9.1f ns = %.3g\n", what, ta, tb, ta / tb);
}

void print_throughput(const Keeping& k) {
    auto small = k.runs.find("BM_JoinFiveParts_Bytes/1024");
    auto big = k.runs.find("BM_JoinFiveParts_Bytes/1048576");
    if (small == k.runs.end() || big == k.runs.end()) return;
    auto rate = [](const benchmark::BenchmarkReporter::Run& r) {
        auto c = r.counters.find("bytes_per_second");
        return c != r.counters.end() ? double(c->second) : 0.0;
    };
    const double s = rate(small->second), b = rate(big->second);
    std::printf("  %-58s %9.2f GB/s / %6.2f GB/s = %.2f\n", "join throughput, 1 MB parts / 1 KB parts", b / 1e9,
                s / 1e9, s > 0 ? b / s : 0.0);
}

// The sim's heap holds only Texts: what the program keeps of them after start, and at the
// peak of one command click. The C++ heap of the process (templates, controls, and the sim's
// own records of the windows) is shown beside it, measured by the C runtime.
std::size_t cxx_heap_in_use() { return mallinfo2().uordblks; }

void print_startup_heap() {
    const std::size_t before = cxx_heap_in_use();
    testing_support::Session s(false);
    const std::size_t loaded = cxx_heap_in_use();
    const std::size_t frame_only = s.sim.peak_bytes();
    testing_support::start_program(s.sim, true);
    const std::size_t opened = cxx_heap_in_use();
    std::printf("(g) heap after start in the sim, MainWindow open: %zu bytes live in %zu Text blocks, peak %zu "
                "bytes (%zu after the form load alone), %zu allocations\n",
                s.sim.live_bytes(), s.sim.live_blocks(), s.sim.peak_bytes(), frame_only,
                s.sim.total_allocations());
    s.type_into("领地名2", "home");
    s.type_into("玩家名", "guest");
    s.click("给予玩家领地");
    std::printf("    after one click writing /res give home guest: %zu bytes live, peak %zu bytes in %zu allocations\n",
                s.sim.live_bytes(), s.sim.peak_bytes(), s.sim.total_allocations());
    std::printf("    C++ heap of the native process: %zu bytes for the loaded form, %zu more for the open "
                "window (the sim's records included)\n",
                loaded - before, opened - loaded);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--startup-heap") == 0) {
        print_startup_heap();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Keeping reporter;  // plain text: the output goes into documents
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios (CPU time per iteration):\n");
    print_ratio(reporter, "(c) click, last-listed command / first-listed", "BM_Click_LastListed",
                "BM_Click_FirstListed");
    print_ratio(reporter, "(c) lookup only, last-listed unit / first-listed", "BM_Lookup_LastListed",
                "BM_Lookup_FirstListed");
    print_ratio(reporter, "(d) click via raise_event, 4,000 units / 44", "BM_Click_SyntheticForm4000",
                "BM_Click_RealForm44");
    print_ratio(reporter, "(d) click via the sim's button, 4,000 units / 44", "BM_SimClick_SyntheticForm4000",
                "BM_SimClick_RealForm44");
    print_ratio(reporter, "(d) lookup only, 4,000 units / 44", "BM_Lookup_SyntheticForm4000",
                "BM_Lookup_RealForm44");
    print_ratio(reporter, "(d) lookup only, 4,000 units / a linear scan of them", "BM_Lookup_SyntheticForm4000",
                "BM_LinearScan_SyntheticForm4000");
    print_ratio(reporter, "(a) sim click / raise_event (the window layer's share)", "BM_TwoFieldCommand_SimClick",
                "BM_TwoFieldCommand_RaiseEvent");
    print_throughput(reporter);
    benchmark::Shutdown();
    return 0;
}
