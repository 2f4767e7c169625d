// The sim backend's clipboard, heap, fonts and other resources, message box and process exit.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "toolkit/sim/sim.h"

namespace {

using namespace std::string_literals;

constexpr std::uint32_t kCopyFlags = tk::GMEM_MOVEABLE_ | tk::GMEM_ZEROINIT_;

// The clipboard calls of a plain-text copy, in the order the program makes them.
bool copy_text(sim::SimToolkit& sim, const std::string& text) {
    if (!sim.open_clipboard()) return false;
    sim.empty_clipboard();
    bool done = false;
    if (tk::Block b = sim.global_alloc(kCopyFlags, text.size() + 1)) {
        std::memcpy(sim.global_lock(b), text.c_str(), text.size() + 1);
        sim.global_unlock(b);
        sim.set_clipboard_data(tk::CF_TEXT_, b);
        done = true;
    }
    sim.close_clipboard();
    return done;
}

// ===== clipboard =====

TEST(SimClipboard, LogsEveryCallInOrderAndKeepsTheWholeBlock) {
    sim::SimToolkit sim;
    sim.put_clipboard(tk::CF_TEXT_, "old\0"s);
    sim.put_clipboard(13, "w\0i\0"s);
    ASSERT_TRUE(copy_text(sim, "/res remove 领地"));
    EXPECT_EQ(sim.clipboard_log(), (std::vector<std::string>{
                                       "open_clipboard() -> 1",
                                       "empty_clipboard() -> 1",
                                       "global_alloc(0x42, 17) -> #3",
                                       "global_lock(#3) -> address",
                                       "global_unlock(#3)",
                                       "set_clipboard_data(1, #3) -> 1",
                                       "close_clipboard() -> 1",
                                   }));
    EXPECT_EQ(sim.clipboard_bytes(tk::CF_TEXT_), "/res remove 领地\0"s);
    EXPECT_EQ(sim.clipboard_formats(), (std::vector<std::uint32_t>{tk::CF_TEXT_}));  // 13 is gone
    EXPECT_FALSE(sim.clipboard_bytes(13).has_value());
    EXPECT_FALSE(sim.clipboard_open());
    EXPECT_TRUE(sim.clipboard_owned());
    EXPECT_EQ(sim.live_program_blocks(), 0u);
    EXPECT_TRUE(sim.clipboard_faults().empty());

    ASSERT_TRUE(copy_text(sim, ""));  // an empty text is a one-byte block
    EXPECT_EQ(sim.clipboard_bytes(tk::CF_TEXT_), "\0"s);
}

TEST(SimClipboard, AHeldClipboardCannotBeOpened) {
    sim::SimToolkit sim;
    sim.put_clipboard(tk::CF_TEXT_, "theirs\0"s);
    sim.hold_clipboard(true);
    EXPECT_FALSE(copy_text(sim, "mine"));
    EXPECT_EQ(sim.clipboard_log(), (std::vector<std::string>{"open_clipboard() -> 0"}));
    EXPECT_EQ(sim.clipboard_bytes(tk::CF_TEXT_), "theirs\0"s);
    EXPECT_FALSE(sim.clipboard_open());
    sim.hold_clipboard(false);
    EXPECT_TRUE(copy_text(sim, "mine"));
    EXPECT_EQ(sim.clipboard_bytes(tk::CF_TEXT_), "mine\0"s);
}

TEST(SimClipboard, FailedAllocationLeavesTheClipboardEmptied) {
    sim::SimToolkit sim;
    sim.put_clipboard(tk::CF_TEXT_, "theirs\0"s);
    sim.fail_global_alloc(true);
    EXPECT_FALSE(copy_text(sim, "mine"));
    EXPECT_EQ(sim.clipboard_log(), (std::vector<std::string>{
                                       "open_clipboard() -> 1", "empty_clipboard() -> 1",
                                       "global_alloc(0x42, 5) -> null", "close_clipboard() -> 1"}));
    EXPECT_TRUE(sim.clipboard_formats().empty());
    EXPECT_FALSE(sim.clipboard_open());
}

TEST(SimClipboard, OnlyZeroInitialisedBlocksStartAsZeros) {
    sim::SimToolkit sim;
    struct Case {
        std::uint32_t flags;
        std::uint8_t fill;
    } cases[] = {{kCopyFlags, 0},
                 {tk::GMEM_ZEROINIT_, 0},
                 {tk::GMEM_MOVEABLE_, sim::kFreshFill},
                 {0, sim::kFreshFill}};
    for (const Case& c : cases) {
        tk::Block b = sim.global_alloc(c.flags, 8);
        const auto* p = static_cast<const std::uint8_t*>(sim.global_lock(b));
        ASSERT_NE(p, nullptr);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i], c.fill) << std::hex << c.flags;
        sim.global_unlock(b);
    }
    EXPECT_EQ(sim.live_program_blocks(), 4u);  // nobody took them
}

TEST(SimClipboard, MisuseIsRecordedAndRefused) {
    sim::SimToolkit sim;
    tk::Block early = sim.global_alloc(kCopyFlags, 2);
    sim.set_clipboard_data(tk::CF_TEXT_, early);  // the clipboard is not open
    EXPECT_TRUE(sim.clipboard_formats().empty());
    EXPECT_EQ(sim.block_record(early)->owner, sim::BlockRecord::program);

    ASSERT_TRUE(sim.open_clipboard());
    sim.empty_clipboard();
    tk::Block fixed = sim.global_alloc(tk::GMEM_ZEROINIT_, 2);
    sim.global_lock(fixed);
    sim.set_clipboard_data(tk::CF_TEXT_, fixed);  // fixed and still locked
    sim.global_unlock(fixed);
    sim.global_unlock(fixed);  // one unlock too many
    sim.global_lock(fixed);    // touched after the clipboard took it
    sim.close_clipboard();
    sim.close_clipboard();
    EXPECT_EQ(sim.clipboard_faults().size(), 4u);
    EXPECT_EQ(sim.block_record(fixed)->owner, sim::BlockRecord::clipboard);
    EXPECT_EQ(sim.clipboard_log().back(), "close_clipboard() -> 0");
    EXPECT_EQ(sim.clipboard_log().front(), "global_alloc(0x42, 2) -> #1");
    EXPECT_EQ(sim.clipboard_log()[1], "set_clipboard_data(1, #1) -> 0");
    sim.empty_clipboard();  // closed: nothing happens
    EXPECT_EQ(sim.clipboard_formats().size(), 1u);
}

// ===== heap =====

TEST(SimHeap, FailsTheNthAllocationFromNow) {
    sim::SimToolkit sim;
    sim.fail_allocation(3);
    void* a = sim.heap_alloc(4);
    void* b = sim.heap_alloc(4);
    void* c = sim.heap_alloc(4);
    void* d = sim.heap_alloc(4);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(c, nullptr);
    EXPECT_NE(d, nullptr);
    EXPECT_EQ(sim.failed_allocations(), 1u);
    EXPECT_EQ(sim.total_allocations(), 3u);
    EXPECT_EQ(sim.live_blocks(), 3u);
}

TEST(SimHeap, AccountsForBlocksAndFillsThemWithAPattern) {
    sim::SimToolkit sim;
    auto* a = static_cast<std::uint8_t*>(sim.heap_alloc(10));
    auto* b = static_cast<std::uint8_t*>(sim.heap_alloc(20));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(a[i], sim::kFreshFill);
    EXPECT_EQ(sim.live_blocks(), 2u);
    EXPECT_EQ(sim.live_bytes(), 30u);
    sim.heap_free(a);
    EXPECT_FALSE(sim.is_live_block(a));
    EXPECT_TRUE(sim.is_live_block(b));
    void* c = sim.heap_alloc(5);
    EXPECT_EQ(sim.live_blocks(), 2u);
    EXPECT_EQ(sim.live_bytes(), 25u);
    EXPECT_EQ(sim.peak_bytes(), 30u);
    EXPECT_EQ(sim.total_allocations(), 3u);
    EXPECT_NE(sim.heap_alloc(0), nullptr);  // an empty block is still a block
    sim.heap_free(b);
    sim.heap_free(c);
    EXPECT_EQ(sim.live_blocks(), 1u);
    EXPECT_TRUE(sim.heap_faults().empty());
}

TEST(SimHeap, BadFreesAreRecordedAndChangeNothing) {
    sim::SimToolkit sim;
    auto* a = static_cast<char*>(sim.heap_alloc(8));
    void* b = sim.heap_alloc(8);
    int local = 0;
    sim.heap_free(a);
    sim.heap_free(a);        // twice
    sim.heap_free(a + 1);    // not the start of a block
    sim.heap_free(&local);   // not from this heap
    sim.heap_free(nullptr);  // nothing to free
    ASSERT_EQ(sim.heap_faults().size(), 4u);
    EXPECT_EQ(sim.heap_faults()[0].kind, sim::HeapFault::double_free);
    EXPECT_EQ(sim.heap_faults()[0].pointer, a);
    EXPECT_EQ(sim.heap_faults()[1].kind, sim::HeapFault::foreign_free);
    EXPECT_EQ(sim.heap_faults()[2].pointer, &local);
    EXPECT_EQ(sim.heap_faults()[3].kind, sim::HeapFault::null_free);
    EXPECT_EQ(sim.live_blocks(), 1u);
    EXPECT_TRUE(sim.is_live_block(b));
    EXPECT_EQ(static_cast<std::uint8_t>(a[0]), sim::kFreedFill);

    // A freed address is never handed out again, so a late second free is still caught.
    std::set<void*> seen{a, b};
    for (int i = 0; i < 50; ++i) {
        void* p = sim.heap_alloc(8);
        EXPECT_TRUE(seen.insert(p).second);
        sim.heap_free(p);
    }
}

// ===== fonts, brushes, images, cursors =====

TEST(SimResources, FontsMeasureByTheirHeightAndFailWithoutAFaceName) {
    sim::SimToolkit sim;
    EXPECT_EQ(sim.double_byte_char_height(sim.default_gui_font()), sim::kStockFontCharHeight);
    EXPECT_EQ(sim.double_byte_char_height(nullptr), sim::kStockFontCharHeight);
    struct Case {
        std::int32_t height;
        int expected;
    } cases[] = {{-15, 15}, {20, 20}, {0, 16}, {-1, 1}};
    for (const Case& c : cases) {
        std::uint8_t logfont[60] = {};
        std::memcpy(logfont, &c.height, 4);
        logfont[59] = 'x';  // any face byte will do
        tk::Font f = sim.create_font(logfont);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(sim.double_byte_char_height(f), c.expected) << c.height;
    }
    std::uint8_t faceless[60] = {};
    faceless[0] = 12;
    faceless[27] = 1;  // the byte before the face name does not count
    EXPECT_EQ(sim.create_font(faceless), nullptr);
    EXPECT_EQ(sim.live_fonts(), 4u);
}

TEST(SimResources, ReleasesAreCountedAndBadOnesRecorded) {
    sim::SimToolkit sim;
    std::uint8_t logfont[60] = {};
    logfont[28] = 'S';
    tk::Font font = sim.create_font(logfont);
    tk::Brush brush = sim.create_brush(0x123456);
    tk::Pixels pixels{2, 2, {1, 2, 3, 4}, true};
    tk::Image image = sim.create_image(pixels, 0xF0F0F0);
    tk::Cursor cursor = sim.load_system_cursor(14);
    EXPECT_EQ(sim.brush_record(brush)->color, 0x123456u);
    EXPECT_TRUE(sim.image_record(image)->is_icon);
    EXPECT_EQ(sim.image_record(image)->background, 0xF0F0F0u);
    EXPECT_EQ(sim.cursor_record(cursor)->which, 14);
    EXPECT_EQ(sim.live_fonts() + sim.live_brushes() + sim.live_images() + sim.live_cursors(), 4u);

    sim.release_font(sim.default_gui_font());  // the stock font is ignored
    sim.release_image(sim.program_icon(false));
    sim.release_font(font);
    sim.release_brush(brush);
    sim.release_image(image);
    sim.release_cursor(cursor);
    EXPECT_EQ(sim.live_fonts() + sim.live_brushes() + sim.live_images() + sim.live_cursors(), 0u);
    EXPECT_TRUE(sim.resource_faults().empty());
    EXPECT_TRUE(sim.font_record(sim.default_gui_font())->alive);

    sim.release_font(font);
    sim.release_brush(brush);
    sim.release_image(image);
    sim.release_cursor(cursor);
    sim.release_font(reinterpret_cast<tk::Font>(brush));  // a handle of another kind
    EXPECT_EQ(sim.resource_faults().size(), 5u);
}

TEST(SimResources, RefusesWhatCannotBeMade) {
    sim::SimToolkit sim;
    EXPECT_EQ(sim.create_image({0, 2, {}, false}, 0), nullptr);
    EXPECT_EQ(sim.create_image({2, 2, {1, 2, 3}, false}, 0), nullptr);
    EXPECT_EQ(sim.load_system_cursor(0), nullptr);
    EXPECT_EQ(sim.load_system_cursor(15), nullptr);
    EXPECT_NE(sim.load_system_cursor(1), nullptr);
    EXPECT_NE(sim.program_icon(true), sim.program_icon(false));
    EXPECT_EQ(sim.image_record(sim.program_icon(true))->width, 16);
    EXPECT_EQ(sim.live_images(), 0u);
}

TEST(SimResources, FixedMetricsAndSettableButtonFace) {
    sim::SimToolkit sim;
    EXPECT_EQ(sim.edge_height(), 2);
    EXPECT_EQ(sim.button_face_color(), 0xF0F0F0u);
    sim.set_button_face_color(0xC0C0C0);
    EXPECT_EQ(sim.button_face_color(), 0xC0C0C0u);
    EXPECT_EQ(sim.program_path(), "C:\\territory\\territory.exe");
}

// ===== message box, process, files =====

TEST(SimProcess, MessageBoxesAreCapturedAndAnsweredOk) {
    sim::SimToolkit sim;
    EXPECT_EQ(sim.message_box("start window failed to load", "领地设置", tk::MB_ICONERROR_), 1);
    ASSERT_EQ(sim.message_boxes().size(), 1u);
    EXPECT_EQ(sim.message_boxes()[0].text, "start window failed to load");
    EXPECT_EQ(sim.message_boxes()[0].caption, "领地设置");
    EXPECT_EQ(sim.message_boxes()[0].flags, tk::MB_ICONERROR_);
}

TEST(SimProcess, ExitThrowsAndRecordsTheCode) {
    sim::SimToolkit sim;
    EXPECT_FALSE(sim.exit_code().has_value());
    try {
        sim.exit_process(-1);
        FAIL() << "exit_process returned";
    } catch (const sim::ProcessExit& e) {
        EXPECT_EQ(e.code, -1);
    }
    EXPECT_EQ(sim.exit_code(), -1);
}

TEST(SimProcess, FilesExistOnlyWhenAddedAndHelpIsRecorded) {
    sim::SimToolkit sim;
    EXPECT_FALSE(sim.file_exists("C:\\territory\\territory.hlp"));
    sim.add_file("C:\\territory\\territory.hlp");
    EXPECT_TRUE(sim.file_exists("C:\\territory\\territory.hlp"));
    EXPECT_FALSE(sim.file_exists("C:\\territory\\other.hlp"));
    sim.open_help("C:\\territory\\territory.hlp", 7);
    ASSERT_EQ(sim.help_requests().size(), 1u);
    EXPECT_EQ(sim.help_requests()[0].path, "C:\\territory\\territory.hlp");
    EXPECT_EQ(sim.help_requests()[0].context, 7);
}

}  // namespace

TEST(SimHeapSwitches, RequestsAreRecordedGrantedOrNotAndThePlainHeapReleasesBlocks) {
    sim::SimToolkit sim;
    sim.record_heap_requests(true);
    sim.fail_allocation(2);
    void* a = sim.heap_alloc(5);
    EXPECT_EQ(sim.heap_alloc(7), nullptr);
    sim.heap_free(a);
    EXPECT_EQ(sim.heap_requests(), (std::vector<std::size_t>{5, 7}));

    sim::SimToolkit plain;
    plain.use_plain_heap(true);
    void* b = plain.heap_alloc(16);
    EXPECT_EQ(plain.live_blocks(), 1u);
    plain.heap_free(b);
    EXPECT_EQ(plain.live_blocks(), 0u);
    EXPECT_FALSE(plain.is_live_block(b));
    EXPECT_TRUE(plain.heap_faults().empty());
}
