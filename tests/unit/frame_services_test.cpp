// The frame's services: texts, properties by number, end routines and the fatal error.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/frame_internal.h"
#include "resources/constant_texts.h"
#include "resources/control_ids.h"
#include "support/session.h"

namespace {

using namespace resources;
using testing_support::Session;

TEST(FrameTexts, ReleasingAbsentOrConstantTextsDoesNothing) {
    Session s;
    frame::release_text(nullptr);
    frame::release_text(const_cast<char*>(constant_texts.res_create));
    frame::release_text(const_cast<char*>(constant_texts.remove_leave + 3));
    EXPECT_TRUE(s.sim.heap_faults().empty());
    frame::Text t = frame::allocate_text(5);
    EXPECT_TRUE(s.sim.is_live_block(t));
    frame::release_text(t);
    EXPECT_FALSE(s.sim.is_live_block(t));
    EXPECT_EQ(s.sim.live_blocks(), 0u);
}

TEST(FrameProperties, EditTextReadsAsFreshCopiesOrAbsent) {
    Session s;
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_领地名2, PROP_TEXT).text, nullptr);
    s.type_into("领地名2", " ");
    frame::Text a = frame::get_property(ID_MainWindow, ID_领地名2, PROP_TEXT).text;
    frame::Text b = frame::get_property(ID_MainWindow, ID_领地名2, PROP_TEXT).text;
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b) << "a new block on every read";
    EXPECT_STREQ(a, " ");
    EXPECT_STREQ(b, " ");
    EXPECT_EQ(s.sim.live_bytes(), 4u) << "one byte and its terminating zero, twice";
    frame::release_text(a);
    frame::release_text(b);
    EXPECT_EQ(s.text_of("领地名2"), " ") << "reading never changes the field";
}

TEST(FrameProperties, WritingTextCopiesItAndAnAbsentTextEmptiesTheField) {
    Session s;
    frame::Text t = frame::allocate_text(4);
    std::memcpy(t, "abc", 4);
    frame::set_property(ID_MainWindow, ID_复制1, PROP_TEXT, -1, frame::text_value(t));
    frame::release_text(t);  // the caller may release at once
    EXPECT_EQ(s.text_of("复制1"), "abc");
    frame::set_property(ID_MainWindow, ID_复制1, PROP_TEXT, -1, frame::text_value(nullptr));
    EXPECT_EQ(s.text_of("复制1"), "");
}

TEST(FrameProperties, CheckStatesReadExactlyOneOrZero) {
    Session s;
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_加入, PROP_CHECKED).number, 1);
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_离开, PROP_CHECKED).number, 0);
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_移除消息, PROP_CHECKED).number, 0);
    s.click("离开");
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_加入, PROP_CHECKED).number, 0);
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_离开, PROP_CHECKED).number, 1);
    frame::set_property(ID_MainWindow, ID_移除消息, PROP_CHECKED, -1, frame::flag_value(1));
    EXPECT_EQ(s.check_of("移除消息"), 1);
}

TEST(FrameProperties, CommonPropertiesComeFromTheLiveControl) {
    Session s;
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_复制1, 0).number, 8);
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_复制1, 1).number, 16);
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_复制1, 2).number, 280);
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_复制1, 3).number, 40);
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_复制1, 5).number, 1);
    EXPECT_EQ(frame::get_property(ID_MainWindow, ID_复制1, 6).number, 0);
}

TEST(FrameFatal, AnOwnPropertyOfAControlThatIsNotLiveIsFatal) {
    Session s(false);
    try {
        frame::get_property(ID_MainWindow, ID_复制1, PROP_TEXT);
        FAIL();
    } catch (const sim::ProcessExit& e) {
        EXPECT_EQ(e.code, -1);
    }
    ASSERT_EQ(s.sim.message_boxes().size(), 1u);
    const std::string& text = s.sim.message_boxes()[0].text;
    EXPECT_NE(text.find("0x52010001"), std::string::npos) << "names the window id";
    EXPECT_NE(text.find("0x160100A2"), std::string::npos) << "names the unit id";
    EXPECT_NE(text.find("运行时发生错误"), std::string::npos) << "says a run-time error occurred";
}

TEST(FrameFatal, UnknownWindowIdsAreFatal) {
    Session s;
    EXPECT_THROW(frame::get_property(0x52010009, ID_复制1, PROP_TEXT), sim::ProcessExit);
    ASSERT_EQ(s.sim.message_boxes().size(), 1u);
    EXPECT_NE(s.sim.message_boxes()[0].text.find("0x52010009"), std::string::npos);
}

int end_runs = 0;
void count_end() { ++end_runs; }

TEST(FrameEnd, EndRoutinesRunOnceInOrderAtShutDownAndNotAfterAFatalError) {
    {
        Session s;
        end_runs = 0;
        frame::register_end_routine(count_end);
        frame::register_end_routine(count_end);  // at most once
        frame::shut_down_frame(0);
        EXPECT_EQ(end_runs, 1);
        EXPECT_GT(frame::event_block_count(), 0) << "no event from the start of shut-down";
        frame::shut_down_frame(0);
        EXPECT_EQ(end_runs, 1) << "the list was emptied";
    }
    {
        Session s;
        end_runs = 0;
        frame::register_end_routine(count_end);
        EXPECT_THROW(frame::report_fatal_error("test", 0, 0), sim::ProcessExit);
        EXPECT_EQ(end_runs, 0);
        EXPECT_EQ(s.sim.exit_code(), -1);
    }
}

}  // namespace
