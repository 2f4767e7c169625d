// Shared by the fuzz targets: stand-in handlers, the settings kinds as lists of fields, and the
// checks that every decoded result must pass. A broken check aborts, so libFuzzer keeps the input.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "commands/handler_table.h"
#include "window/form.h"
#include "window/picture.h"
#include "window/settings.h"

namespace fuzz {

[[noreturn]] inline void broken(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
inline void require(bool ok, const char* what) {
    if (!ok) broken(what);
}

// One distinct handler per slot of the program's table, so a resolved binding can be checked.
template <std::int32_t N>
std::int32_t numbered_handler(std::span<const std::int32_t>) {
    return N;
}
template <std::size_t... I>
constexpr std::array<form::Handler, sizeof...(I)> numbered_handlers(std::index_sequence<I...>) {
    return {&numbered_handler<static_cast<std::int32_t>(I)>...};
}
inline const std::array<form::Handler, commands::HANDLER_COUNT> handlers =
    numbered_handlers(std::make_index_sequence<commands::HANDLER_COUNT>{});

// Folds everything it is given into one number; reading every byte is the point, so that the
// sanitizers see each field.
struct Digest {
    std::uint64_t value = 14695981039346656037ull;
    void byte(std::uint8_t b) { value = (value ^ b) * 1099511628211ull; }
    void number(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) byte(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void operator()(std::uint32_t v) { number(v); }
    void operator()(std::int32_t v) { number(static_cast<std::uint32_t>(v)); }
    void operator()(std::int16_t v) { number(static_cast<std::uint16_t>(v)); }
    void operator()(const std::array<std::uint32_t, 3>& a) {
        for (std::uint32_t v : a) number(v);
    }
    void operator()(const std::vector<std::uint8_t>& b) {
        number(b.size());
        for (std::uint8_t x : b) byte(x);
    }
    void operator()(const std::string& s) {
        number(s.size());
        for (char c : s) byte(static_cast<std::uint8_t>(c));
    }
};

// Puts a value into every field that differs from any default, to see that a read resets them.
struct Scramble {
    void operator()(std::uint32_t& v) const { v = 0x5A5A5A5A; }
    void operator()(std::int32_t& v) const { v = 0x5A5A5A5A; }
    void operator()(std::int16_t& v) const { v = 0x5A5A; }
    void operator()(std::array<std::uint32_t, 3>& a) const { a = {1, 2, 3}; }
    void operator()(std::vector<std::uint8_t>& b) const { b = {1, 2, 3}; }
    void operator()(std::string& s) const { s = "scrambled"; }
};

// --- every field of every kind, in stored order ---

template <class S, class F>
void each_field(S& s, F&& f)
    requires std::is_same_v<std::remove_const_t<S>, ui::WindowSettings>
{
    f(s.version); f(s.frame_style); f(s.picture_mode); f(s.back_color); f(s.maximize_box);
    f(s.minimize_box); f(s.control_box); f(s.start_position); f(s.movable); f(s.music_repeat);
    f(s.enter_moves_focus); f(s.escape_closes); f(s.f1_opens_help); f(s.help_context);
    f(s.show_in_taskbar); f(s.drag_anywhere); f(s.shape); f(s.always_on_top);
    f(s.keep_title_active); f(s.window_class); f(s.picture); f(s.icon); f(s.music); f(s.caption);
    f(s.help_file);
}

template <class S, class F>
void each_field(S& s, F&& f)
    requires std::is_same_v<std::remove_const_t<S>, ui::ButtonSettings>
{
    f(s.version); f(s.button_type); f(s.horizontal_align); f(s.vertical_align); f(s.picture);
    f(s.font); f(s.caption);
}

template <class S, class F>
void each_field(S& s, F&& f)
    requires std::is_same_v<std::remove_const_t<S>, ui::GroupBoxSettings>
{
    f(s.version); f(s.caption_align); f(s.text_color); f(s.back_color); f(s.font); f(s.caption);
}

template <class S, class F>
void each_field(S& s, F&& f)
    requires std::is_same_v<std::remove_const_t<S>, ui::LabelSettings>
{
    f(s.version); f(s.text_effect); f(s.gradient_border_width); f(s.border_style);
    f(s.gradient_border_colors); f(s.text_color); f(s.back_color); f(s.picture_mode);
    f(s.gradient_mode); f(s.gradient_colors); f(s.horizontal_align); f(s.vertical_align);
    f(s.word_wrap); f(s.font); f(s.picture); f(s.caption); f(s.data_source); f(s.data_column);
}

template <class S, class F>
void each_field(S& s, F&& f)
    requires std::is_same_v<std::remove_const_t<S>, ui::EditBoxSettings>
{
    f(s.version); f(s.border_style); f(s.text_color); f(s.back_color); f(s.hide_selection);
    f(s.max_length); f(s.multi_line); f(s.scroll_bars); f(s.horizontal_align); f(s.input_mode);
    f(s.password_char); f(s.case_conversion); f(s.spin_mode); f(s.spin_lower); f(s.spin_upper);
    f(s.selection_start); f(s.selection_length); f(s.font); f(s.text); f(s.data_source);
    f(s.data_column);
}

template <class S, class F>
void each_field(S& s, F&& f)
    requires std::is_same_v<std::remove_const_t<S>, ui::CheckBoxSettings> ||
             std::is_same_v<std::remove_const_t<S>, ui::RadioBoxSettings>
{
    f(s.version); f(s.push_like); f(s.flat); f(s.text_left); f(s.horizontal_align);
    f(s.vertical_align); f(s.text_color); f(s.back_color); f(s.check_state); f(s.picture);
    f(s.font); f(s.caption); f(s.data_source); f(s.data_column);
}

// The highest version each kind reads.
template <class S>
constexpr std::uint32_t highest_version() {
    if constexpr (std::is_same_v<S, ui::WindowSettings>) return 6;
    else if constexpr (std::is_same_v<S, ui::LabelSettings> || std::is_same_v<S, ui::EditBoxSettings> ||
                       std::is_same_v<S, ui::CheckBoxSettings>)
        return 2;
    else return 1;
}

template <class S>
std::uint64_t digest_of(const S& s) {
    Digest d;
    each_field(s, d);
    return d.value;
}

// The picture fields a kind carries; each is decoded when the control is built.
inline std::vector<const ui::ByteField*> pictures_of(const ui::WindowSettings& s) { return {&s.picture, &s.icon}; }
inline std::vector<const ui::ByteField*> pictures_of(const ui::ButtonSettings& s) { return {&s.picture}; }
inline std::vector<const ui::ByteField*> pictures_of(const ui::GroupBoxSettings&) { return {}; }
inline std::vector<const ui::ByteField*> pictures_of(const ui::LabelSettings& s) { return {&s.picture}; }
inline std::vector<const ui::ByteField*> pictures_of(const ui::EditBoxSettings&) { return {}; }
inline std::vector<const ui::ByteField*> pictures_of(const ui::CheckBoxSettings& s) { return {&s.picture}; }
inline std::vector<const ui::ByteField*> pictures_of(const ui::RadioBoxSettings& s) { return {&s.picture}; }

// A decoded picture keeps to its limits and has exactly its pixels.
inline std::uint64_t decode_and_check(std::span<const std::uint8_t> bytes) {
    const std::optional<tk::Pixels> p = ui::decode_picture(bytes);
    if (!p) return 0;
    require(p->width >= 1 && p->height >= 1, "a decoded picture without pixels");
    require(p->width <= ui::MAX_PICTURE_SIDE && p->height <= ui::MAX_PICTURE_SIDE, "a side beyond the limit");
    const std::int64_t area = std::int64_t{p->width} * p->height;
    require(area <= ui::MAX_PICTURE_PIXELS, "more pixels than the limit");
    require(p->argb.size() == static_cast<std::size_t>(area), "the pixel count is not width x height");
    Digest d;
    for (std::uint32_t px : p->argb) d.number(px);
    return d.value;
}

// Reads `block` as kind S and checks what every read must keep: the kind's defaults first (a
// block of zero bytes keeps them all, a read into a used record gives what a fresh one gets),
// the version never above the kind's highest, and bytes after the last field ignored.
template <class S>
std::uint64_t read_and_check(std::span<const std::uint8_t> block) {
    S fresh;
    const bool ok = ui::read_settings(block, fresh);
    S used;
    each_field(used, Scramble{});
    require(ui::read_settings(block, used) == ok, "a used record reads differently");
    if (!ok) return 0;
    const std::uint64_t digest = digest_of(fresh);
    require(digest_of(used) == digest, "a read does not reset every setting to its default");
    if (block.empty()) {
        require(digest == digest_of(S{}), "an empty block does not give the defaults");
        return digest;
    }
    const std::uint32_t version = block[0] | std::uint32_t{block[1]} << 8 | std::uint32_t{block[2]} << 16 |
                                  std::uint32_t{block[3]} << 24;
    require(fresh.version == version && version <= highest_version<S>(), "a version the kind does not read");
    std::vector<std::uint8_t> longer(block.begin(), block.end());
    longer.insert(longer.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0x01});
    S extended;
    require(ui::read_settings(longer, extended), "bytes after the last field make the read fail");
    require(digest_of(extended) == digest, "bytes after the last field change the settings");
    std::uint64_t sum = digest;
    for (const ui::ByteField* picture : pictures_of(fresh)) sum += decode_and_check(*picture);
    return sum;
}

// The settings defaults hold GBK captions, as in the program; this build must see the same bytes.
inline void require_gbk_literals() {
    require(ui::ButtonSettings{}.caption == "\xB0\xB4\xC5\xA5", "the default button caption is not GBK");
    require(ui::LabelSettings{}.caption == "\xB1\xEA\xC7\xA9", "the default label caption is not GBK");
    require(ui::CheckBoxSettings{}.caption == "\xD1\xA1\xD4\xF1\xBF\xF2", "the default check box caption is not GBK");
    require(ui::RadioBoxSettings{}.caption == "\xB5\xA5\xD1\xA1\xBF\xF2", "the default radio caption is not GBK");
}

// Keeps a computed value alive so that the reads behind it are not optimised away.
inline void keep(std::uint64_t v) {
    static volatile std::uint64_t sink;
    sink = sink + v;
}

}  // namespace fuzz
