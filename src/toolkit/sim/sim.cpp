// The sim backend: windows, input, resources, clipboard, heap and event loop, all in memory.
#include "toolkit/sim/sim.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sim {

namespace {

// --- the platform's values the sim acts on ---
constexpr std::uint32_t WS_CHILD = 0x40000000, WS_MINIMIZE = 0x20000000, WS_VISIBLE = 0x10000000,
                        WS_DISABLED = 0x08000000, WS_MAXIMIZE = 0x01000000, WS_BORDER = 0x00800000,
                        WS_DLGFRAME = 0x00400000, WS_CAPTION = 0x00C00000,
                        WS_THICKFRAME = 0x00040000;
constexpr std::uint32_t WS_EX_TOPMOST = 0x8, WS_EX_TOOLWINDOW = 0x80, WS_EX_CLIENTEDGE = 0x200,
                        WS_EX_STATICEDGE = 0x20000;
constexpr std::uint32_t ES_MULTILINE = 0x4, ES_UPPERCASE = 0x8, ES_LOWERCASE = 0x10,
                        ES_READONLY = 0x800, ES_WANTRETURN = 0x1000, ES_NUMBER = 0x2000;
constexpr std::uint32_t BS_TYPE_MASK = 0xF;
enum ButtonType : std::uint32_t {
    BS_PUSHBUTTON = 0,
    BS_DEFPUSHBUTTON = 1,
    BS_CHECKBOX = 2,
    BS_AUTOCHECKBOX = 3,
    BS_RADIOBUTTON = 4,
    BS_3STATE = 5,
    BS_AUTO3STATE = 6,
    BS_GROUPBOX = 7,
    BS_AUTORADIOBUTTON = 9,
};

// Handles are numbers in a range of their own per kind, so that a handle of one kind never
// passes for another, and an index is never reused.
constexpr std::uintptr_t kWindowBase = 0x10000000, kFontBase = 0x20000000, kBrushBase = 0x30000000,
                         kImageBase = 0x40000000, kCursorBase = 0x50000000, kBlockBase = 0x60000000,
                         kStep = 8;

template <class H>
H handle_at(std::uintptr_t base, std::size_t index) {
    return reinterpret_cast<H>(base + (index + 1) * kStep);
}

template <class Records, class H>
auto record_at(Records& records, std::uintptr_t base, H h) -> decltype(&records[0]) {
    const auto value = reinterpret_cast<std::uintptr_t>(h);
    if (value <= base || (value - base) % kStep != 0) return nullptr;
    const std::size_t index = (value - base) / kStep - 1;
    return index < records.size() ? &records[index] : nullptr;
}

bool same_class(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// The canonical spelling of a class the sim knows, or null. Class names match case-blind.
const char* known_class(const char* name) {
    for (const char* known : {tk::kButtonClass, tk::kEditClass, tk::kUpDownClass, tk::kLabelClass,
                              tk::kWindowClass, tk::kOwnerClass}) {
        if (same_class(name, known)) return known;
    }
    return nullptr;
}

// The program's own classes report moves and size changes; the system controls keep
// WM_MOVE and WM_SIZE to themselves.
bool program_class(std::string_view name) {
    return name == tk::kLabelClass || name == tk::kWindowClass || name == tk::kOwnerClass;
}

struct Edges {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Frame, caption and edges between the outer rectangle and the client area.
Edges frame_edges(std::uint32_t style, std::uint32_t ex_style) {
    std::int32_t side = 0;
    if (style & WS_THICKFRAME)
        side = kSizingFrame;
    else if (style & WS_DLGFRAME)
        side = kDialogFrame;
    else if (style & WS_BORDER)
        side = kBorder;
    if (ex_style & WS_EX_CLIENTEDGE) side += kClientEdge;
    if (ex_style & WS_EX_STATICEDGE) side += kStaticEdge;
    Edges e{side, side, side, side};
    if ((style & WS_CAPTION) == WS_CAPTION)
        e.top += (ex_style & WS_EX_TOOLWINDOW) ? kToolCaptionHeight : kCaptionHeight;
    return e;
}

bool is_lead_byte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Splits typed bytes into characters: a GBK pair, "\r\n", or one byte.
std::vector<std::string_view> split_chars(std::string_view bytes) {
    std::vector<std::string_view> units;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t n = 1;
        if (i + 1 < bytes.size() && (is_lead_byte(static_cast<unsigned char>(bytes[i])) ||
                                     (bytes[i] == '\r' && bytes[i + 1] == '\n')))
            n = 2;
        units.push_back(bytes.substr(i, n));
        i += n;
    }
    return units;
}

// Where the character that ends at `pos` begins.
std::size_t previous_char_start(std::string_view text, std::size_t pos) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < pos;) {
        start = i;
        i += split_chars(text.substr(i, std::min<std::size_t>(2, text.size() - i)))[0].size();
    }
    return start;
}

bool is_enter(std::string_view unit) { return unit == "\r" || unit == "\r\n" || unit == "\n"; }

// The character a key press becomes in TranslateMessage; empty for keys without one.
std::string translate_key(std::uint32_t vk, tk::Keys keys) {
    if (keys.control || keys.alt) return {};
    switch (vk) {
        case tk::VK_RETURN_: return "\r";
        case tk::VK_TAB_: return "\t";
        case tk::VK_BACK_: return "\b";
        case tk::VK_SPACE_: return " ";
        default: break;
    }
    if (vk >= 'A' && vk <= 'Z') return std::string(1, char(keys.shift ? vk : vk - 'A' + 'a'));
    if (vk >= '0' && vk <= '9' && !keys.shift) return std::string(1, char(vk));
    return {};
}

// The highest check state a button type holds (BM_SETCHECK clamps to it).
int max_check(std::uint32_t style) {
    switch (style & BS_TYPE_MASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return 1;
        case BS_3STATE:
        case BS_AUTO3STATE: return 2;
        default: return 0;
    }
}

std::string hex(std::uint32_t v) {
    const char* digits = "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), digits[v % 16]);
        v /= 16;
    } while (v);
    return "0x" + s;
}

// Stands in while no Events are set: every notification is dropped.
struct NoEvents final : tk::Events {
    void command(tk::Handle, tk::Handle, std::uint16_t) override {}
    bool color(tk::Handle, tk::Handle, tk::ColorAnswer&) override { return false; }
    bool paint(tk::Handle, tk::Canvas&, const tk::Rect&) override { return false; }
    bool erase(tk::Handle, tk::Canvas&) override { return false; }
    void focus(tk::Handle, bool) override {}
    void activate(tk::Handle, bool) override {}
    void moved(tk::Handle) override {}
    void resized(tk::Handle) override {}
    bool close_requested(tk::Handle) override { return true; }
    void destroying(tk::Handle) override {}
    void destroyed(tk::Handle) override {}
    bool pre_translate(const tk::KeyPress&) override { return false; }
    void spin(tk::Handle, int) override {}
};

}  // namespace

// ===== recording canvas =====

void RecordingCanvas::fill(const tk::Rect& r, tk::Color c) {
    calls.push_back({DrawCall::Op::fill, r, c, 0, {}, nullptr, nullptr});
}
void RecordingCanvas::clip(const tk::Rect& r) {
    calls.push_back({DrawCall::Op::clip, r, 0, 0, {}, nullptr, nullptr});
}
void RecordingCanvas::draw_text(std::string_view text, const tk::Rect& r, std::uint32_t dt_flags,
                                tk::Color c, tk::Font font) {
    calls.push_back({DrawCall::Op::text, r, c, dt_flags, std::string(text), font, nullptr});
}
void RecordingCanvas::draw_image(tk::Image image, const tk::Rect& dest) {
    calls.push_back({DrawCall::Op::image, dest, 0, 0, {}, nullptr, image});
}

// ===== construction =====

SimToolkit::SimToolkit() {
    fonts_.push_back({true, true, {}});
    images_.push_back({true, true, 32, 32, true, 0});  // program_icon(false)
    images_.push_back({true, true, 16, 16, true, 0});  // program_icon(true)
}

SimToolkit::~SimToolkit() {
    for (auto& [p, b] : heap_) std::free(p);
}

void SimToolkit::set_events(tk::Events* events) { events_ = events; }

tk::Events& SimToolkit::events() {
    static NoEvents none;
    return events_ ? *events_ : none;
}

// ===== window records =====

tk::Handle SimToolkit::handle_of(std::size_t index) const {
    return handle_at<tk::Handle>(kWindowBase, index);
}

const Object* SimToolkit::object(tk::Handle h) const { return record_at(objects_, kWindowBase, h); }

Object* SimToolkit::live(tk::Handle h) {
    Object* o = record_at(objects_, kWindowBase, h);
    return o && o->alive ? o : nullptr;
}

const Object* SimToolkit::live(tk::Handle h) const {
    const Object* o = object(h);
    return o && o->alive ? o : nullptr;
}

std::vector<tk::Handle>& SimToolkit::siblings_of(const Object& o) {
    Object* p = live(o.parent);
    return p ? p->children : top_levels_;
}

void SimToolkit::unlink(tk::Handle h) {
    auto drop = [h](std::vector<tk::Handle>& list) {
        list.erase(std::remove(list.begin(), list.end(), h), list.end());
    };
    if (const Object* o = object(h); o && o->parent) {
        if (Object* p = record_at(objects_, kWindowBase, o->parent)) drop(p->children);
    } else {
        drop(top_levels_);
    }
}

tk::Handle SimToolkit::top_level_of(tk::Handle h) const {
    for (const Object* o = live(h); o && o->parent; o = live(h)) h = o->parent;
    return h;
}

bool SimToolkit::in_subtree(tk::Handle h, tk::Handle root) const {
    for (const Object* o = live(h); o; o = live(o->parent)) {
        if (h == root) return true;
        h = o->parent;
    }
    return false;
}

bool SimToolkit::takes_input(tk::Handle h) const {
    const Object* o = live(h);
    if (!o) return false;
    for (; o; o = live(o->parent)) {
        if (!(o->style & WS_VISIBLE) || (o->style & WS_DISABLED) || o->dying) return false;
    }
    return true;
}

void SimToolkit::notify(tk::Handle child, std::uint16_t code) {
    const Object* o = live(child);
    if (o && live(o->parent)) events().command(o->parent, child, code);
}

// ===== windows =====

tk::Handle SimToolkit::create(const tk::CreateSpec& spec) {
    if (refuse_countdown_ > 0 && --refuse_countdown_ == 0) return nullptr;
    const char* cls = spec.class_name ? known_class(spec.class_name) : nullptr;
    if (!cls) return nullptr;
    const bool child = spec.style & WS_CHILD;
    Object* parent = live(spec.parent);
    if ((spec.parent && !parent) || (child && !parent)) return nullptr;

    Object& o = objects_.emplace_back();
    const tk::Handle h = handle_of(objects_.size() - 1);
    o.class_name = cls;
    o.style = spec.style;
    o.ex_style = spec.ex_style;
    o.text = spec.text;
    o.rect = spec.rect;
    o.child_id = spec.child_id;
    o.topmost = spec.ex_style & WS_EX_TOPMOST;
    if (child) {
        // New children go to the bottom, so that creation order is z-order as on Windows.
        o.parent = spec.parent;
        parent->children.push_back(h);
    } else {
        o.owner = spec.parent;
        top_levels_.insert(top_levels_.begin(), h);
    }
    return h;
}

void SimToolkit::destroy(tk::Handle h) {
    const Object* o = live(h);
    if (!o || o->dying) return;
    // As on Windows, the window is hidden first: it gives up the focus and the activation.
    if (active_ && in_subtree(active_, h)) deactivate_active();
    lose_focus_inside(h);
    destroy_tree(h);
    if (focus_ && !live(focus_)) focus_ = nullptr;
    if (active_ && !live(active_)) active_ = nullptr;
}

// destroying runs parent first, destroyed deepest first (WM_DESTROY and WM_NCDESTROY).
void SimToolkit::destroy_tree(tk::Handle h) {
    Object* o = live(h);
    if (!o || o->dying) return;
    o->dying = true;
    o->style &= ~WS_VISIBLE;
    events().destroying(h);
    std::vector<tk::Handle> owned;
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        if (objects_[i].alive && !objects_[i].parent && objects_[i].owner == h)
            owned.push_back(handle_of(i));
    }
    for (tk::Handle w : owned) destroy(w);
    const std::vector<tk::Handle> kids = o->children;
    for (tk::Handle c : kids) destroy_tree(c);
    events().destroyed(h);
    unlink(h);
    o->alive = false;
    o->dying = false;
    o->children.clear();
    if (focus_ == h) focus_ = nullptr;
    if (active_ == h) active_ = nullptr;
}

bool SimToolkit::exists(tk::Handle h) { return live(h) != nullptr; }

void SimToolkit::set_parent(tk::Handle child, tk::Handle parent) {
    Object* c = live(child);
    if (!c || (parent && !live(parent)) || (parent && in_subtree(parent, child))) return;
    if (c->parent == parent && parent) return;
    unlink(child);
    c->parent = parent;
    c->owner = nullptr;
    // SetParent links the window on top of its new siblings.
    std::vector<tk::Handle>& list = parent ? live(parent)->children : top_levels_;
    list.insert(list.begin(), child);
}

void SimToolkit::place_below(tk::Handle h, tk::Handle above) {
    Object* o = live(h);
    if (!o || above == h) return;
    std::vector<tk::Handle>& list = siblings_of(*o);
    if (above && std::find(list.begin(), list.end(), above) == list.end()) return;
    list.erase(std::remove(list.begin(), list.end(), h), list.end());
    auto at = above ? std::find(list.begin(), list.end(), above) + 1 : list.begin();
    list.insert(at, h);
}

void SimToolkit::show(tk::Handle h, tk::Show how) {
    Object* o = live(h);
    if (!o) return;
    const bool top_level = !o->parent;
    switch (how) {
        case tk::Show::hide:
            if (!(o->style & WS_VISIBLE)) return;
            o->style &= ~WS_VISIBLE;
            if (top_level) {
                if (active_ == h) deactivate_active();
                lose_focus_inside(h);
            } else if (focus_ && in_subtree(focus_, h)) {
                set_focus(o->parent);  // a hidden control hands the focus to its parent
            }
            return;
        case tk::Show::show_no_activate: o->style |= WS_VISIBLE; return;
        case tk::Show::show: o->style |= WS_VISIBLE; break;
        case tk::Show::show_minimized:
            o->style = (o->style | WS_VISIBLE | WS_MINIMIZE) & ~WS_MAXIMIZE;
            lose_focus_inside(h);
            break;
        case tk::Show::show_maximized:
            o->style = (o->style | WS_VISIBLE | WS_MAXIMIZE) & ~WS_MINIMIZE;
            break;
        case tk::Show::restore:
            o->style = (o->style | WS_VISIBLE) & ~(WS_MINIMIZE | WS_MAXIMIZE);
            break;
    }
    if (top_level) activate_window(h);
}

bool SimToolkit::is_visible(tk::Handle h) {
    const Object* o = live(h);
    if (!o) return false;
    for (; o; o = live(o->parent)) {
        if (!(o->style & WS_VISIBLE)) return false;
    }
    return true;
}

bool SimToolkit::is_enabled(tk::Handle h) {
    const Object* o = live(h);
    return o && !(o->style & WS_DISABLED);
}

bool SimToolkit::is_minimized(tk::Handle h) {
    const Object* o = live(h);
    return o && (o->style & WS_MINIMIZE);
}

bool SimToolkit::is_maximized(tk::Handle h) {
    const Object* o = live(h);
    return o && (o->style & WS_MAXIMIZE);
}

// Deactivates the old window (it loses the focus after its deactivation, as on Windows),
// activates h, and, like DefWindowProc, gives h itself the focus when nothing inside it has
// it and it is not minimized.
void SimToolkit::activate_window(tk::Handle h) {
    const Object* o = live(h);
    if (!o || o->parent || o->dying) return;
    if (active_ != h) {
        deactivate_active();
        active_ = h;
        events().activate(h, true);
        o = live(h);
    }
    if (o && active_ == h && !(o->style & WS_MINIMIZE) && !(focus_ && in_subtree(focus_, h)))
        set_focus(h);
}

void SimToolkit::deactivate_active() {
    const tk::Handle old = active_;
    if (!old) return;
    events().activate(old, false);
    if (active_ == old) active_ = nullptr;
    lose_focus_inside(old);
}

void SimToolkit::deactivate(tk::Handle h) {
    if (h && active_ == h) deactivate_active();
}

// Takes the focus away from `root` and its descendants; nothing gets it instead.
void SimToolkit::lose_focus_inside(tk::Handle root) {
    const tk::Handle old = focus_;
    if (!old || !in_subtree(old, root)) return;
    focus_ = nullptr;
    if (live(old) && live(old)->class_name == tk::kEditClass) notify(old, tk::EN_KILLFOCUS_);
    events().focus(old, false);
}

tk::Rect SimToolkit::outer_rect(tk::Handle h) {
    const Object* o = live(h);
    return o ? o->rect : tk::Rect{};
}

tk::Rect SimToolkit::client_rect(tk::Handle h) {
    const Object* o = live(h);
    if (!o) return {};
    const Edges e = frame_edges(o->style, o->ex_style);
    return {0, 0, std::max(0, o->rect.width - e.left - e.right),
            std::max(0, o->rect.height - e.top - e.bottom)};
}

void SimToolkit::move(tk::Handle h, const tk::Rect& r) {
    Object* o = live(h);
    if (!o) return;
    const bool moved = r.left != o->rect.left || r.top != o->rect.top;
    const bool resized = r.width != o->rect.width || r.height != o->rect.height;
    o->rect = r;
    if (!program_class(o->class_name)) return;
    if (moved) events().moved(h);
    if (resized && live(h)) events().resized(h);
}

std::uint32_t SimToolkit::style(tk::Handle h) {
    const Object* o = live(h);
    return o ? o->style : 0;
}

std::uint32_t SimToolkit::ex_style(tk::Handle h) {
    const Object* o = live(h);
    return o ? o->ex_style : 0;
}

void SimToolkit::set_styles(tk::Handle h, std::uint32_t style, std::uint32_t ex_style) {
    if (Object* o = live(h)) {
        o->style = style;
        o->ex_style = ex_style;
    }
}

void SimToolkit::set_user(tk::Handle h, void* user) {
    if (Object* o = live(h)) o->user = user;
}

void* SimToolkit::user(tk::Handle h) {
    const Object* o = live(h);
    return o ? o->user : nullptr;
}

// A top-level window has no parent here, owned or not (GetParent of an overlapped window).
tk::Handle SimToolkit::parent_of(tk::Handle h) {
    const Object* o = live(h);
    return o ? o->parent : nullptr;
}

void SimToolkit::invalidate(tk::Handle h) {
    if (Object* o = live(h)) o->needs_paint = true;
}

// ===== text, check state, focus =====

std::string SimToolkit::text(tk::Handle h) {
    const Object* o = live(h);
    return o ? o->text : std::string();
}

// WM_SETTEXT ignores the text limit and case conversion; an edit reports the change once.
void SimToolkit::set_text(tk::Handle h, std::string_view text) {
    Object* o = live(h);
    if (!o) return;
    o->text = std::string(text);
    if (o->class_name != tk::kEditClass) return;
    o->selection_start = o->selection_end = o->caret = 0;
    edit_changed(h);
}

int SimToolkit::check(tk::Handle h) {
    const Object* o = live(h);
    return o && o->class_name == tk::kButtonClass ? o->check : 0;
}

// Sets only this button: other radio buttons keep their state, as with BM_SETCHECK.
void SimToolkit::set_check(tk::Handle h, int state) {
    Object* o = live(h);
    if (!o || o->class_name != tk::kButtonClass) return;
    const int top = max_check(o->style);
    o->check = state < 0 || state > top ? top : state;
}

tk::Handle SimToolkit::focus() { return focus_; }

// The focus moves to h; its top-level window is activated first when it is not active.
// Edits also tell their parent (EN_KILLFOCUS, EN_SETFOCUS) before the control's own event.
void SimToolkit::set_focus(tk::Handle h) {
    if (h) {
        const Object* o = live(h);
        if (!o || o->dying) return;
    }
    if (h == focus_) return;
    if (h) {
        const tk::Handle top = top_level_of(h);
        if (active_ != top) {
            activate_window(top);
            if (focus_ == h || !live(h)) return;
        }
    }
    const tk::Handle old = focus_;
    focus_ = h;
    if (old && live(old)) {
        if (live(old)->class_name == tk::kEditClass) notify(old, tk::EN_KILLFOCUS_);
        events().focus(old, false);
    }
    if (!h || focus_ != h || !live(h)) return;
    if (live(h)->class_name == tk::kEditClass) notify(h, tk::EN_SETFOCUS_);
    if (focus_ == h && live(h)) events().focus(h, true);
}

// ===== control specifics =====

void SimToolkit::set_font(tk::Handle h, tk::Font f, bool redraw) {
    Object* o = live(h);
    if (!o) return;
    const FontRecord* r = font_record(f);
    if (f && (!r || !r->alive)) fault("set_font with a released or unknown font");
    o->font = f;
    o->font_redraw = redraw;
}

void SimToolkit::set_text_limit(tk::Handle edit, std::int32_t limit) {
    Object* o = live(edit);
    if (!o || o->class_name != tk::kEditClass) return;
    o->text_limit = limit <= 0 ? kMaxTextLimit : std::uint32_t(limit);
}

void SimToolkit::set_password_char(tk::Handle edit, char c) {
    Object* o = live(edit);
    if (o && o->class_name == tk::kEditClass) o->password_char = c;
}

// EM_SETSEL: a start of -1 removes the selection, an end of -1 (or past the text) means the
// end of the text; the caret goes to `end`.
void SimToolkit::set_selection(tk::Handle edit, std::int32_t start, std::int32_t end) {
    Object* o = live(edit);
    if (!o || o->class_name != tk::kEditClass) return;
    const auto length = std::int32_t(o->text.size());
    if (start == -1) {
        o->selection_start = o->selection_end = o->caret;
        return;
    }
    auto clamp = [length](std::int32_t v) { return v < 0 || v > length ? length : v; };
    start = clamp(start);
    end = clamp(end);
    o->selection_start = std::min(start, end);
    o->selection_end = std::max(start, end);
    o->caret = end;
}

void SimToolkit::scroll_caret(tk::Handle edit) {
    if (Object* o = live(edit)) ++o->caret_scrolls;
}

void SimToolkit::set_image(tk::Handle button, tk::Image image) {
    Object* o = live(button);
    if (!o) return;
    const ImageRecord* r = image_record(image);
    if (image && (!r || !r->alive)) fault("set_image with a released or unknown image");
    o->image = image;
}

void SimToolkit::set_updown(tk::Handle updown, tk::Handle buddy, std::int32_t low,
                            std::int32_t high) {
    Object* o = live(updown);
    if (!o || o->class_name != tk::kUpDownClass) return;
    o->buddy = buddy;
    o->range_low = low;
    o->range_high = high;
    o->position = std::clamp(o->position, std::min(low, high), std::max(low, high));
}

void SimToolkit::set_icon(tk::Handle window, tk::Image big, tk::Image small) {
    if (Object* o = live(window)) {
        o->big_icon = big;
        o->small_icon = small;
    }
}

void SimToolkit::set_topmost(tk::Handle window) {
    if (Object* o = live(window)) {
        o->topmost = true;
        o->ex_style |= WS_EX_TOPMOST;
    }
}

void SimToolkit::remove_move_command(tk::Handle window) {
    if (Object* o = live(window)) o->move_command_removed = true;
}

void SimToolkit::set_shape(tk::Handle window, const Shape& shape) {
    if (Object* o = live(window)) o->shape = shape;
}

void SimToolkit::set_cursor(tk::Handle window, tk::Cursor c) {
    if (Object* o = live(window)) o->cursor = c;
}

// ===== resources =====

tk::Font SimToolkit::default_gui_font() { return handle_at<tk::Font>(kFontBase, 0); }

// A face name of only zero bytes fails, so that the program's fallback can be exercised.
tk::Font SimToolkit::create_font(const std::uint8_t (&logfont)[60]) {
    if (std::all_of(logfont + 28, logfont + 60, [](std::uint8_t b) { return b == 0; }))
        return nullptr;
    fonts_.push_back({true, false, std::vector<std::uint8_t>(logfont, logfont + 60)});
    return handle_at<tk::Font>(kFontBase, fonts_.size() - 1);
}

void SimToolkit::release_font(tk::Font f) {
    FontRecord* r = record_at(fonts_, kFontBase, f);
    if (!f || (r && r->stock)) return;
    if (!r) return fault("release_font of an unknown font");
    if (!r->alive) return fault("release_font of a released font");
    r->alive = false;
}

tk::Brush SimToolkit::create_brush(tk::Color c) {
    brushes_.push_back({true, c});
    return handle_at<tk::Brush>(kBrushBase, brushes_.size() - 1);
}

void SimToolkit::release_brush(tk::Brush b) {
    BrushRecord* r = record_at(brushes_, kBrushBase, b);
    if (!b) return;
    if (!r) return fault("release_brush of an unknown brush");
    if (!r->alive) return fault("release_brush of a released brush");
    r->alive = false;
}

tk::Color SimToolkit::button_face_color() { return button_face_; }

tk::Image SimToolkit::create_image(const tk::Pixels& pixels, tk::Color background) {
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.argb.size() != std::size_t(pixels.width) * std::size_t(pixels.height))
        return nullptr;
    images_.push_back({true, false, pixels.width, pixels.height, pixels.is_icon, background});
    return handle_at<tk::Image>(kImageBase, images_.size() - 1);
}

void SimToolkit::release_image(tk::Image i) {
    ImageRecord* r = record_at(images_, kImageBase, i);
    if (!i || (r && r->stock)) return;
    if (!r) return fault("release_image of an unknown image");
    if (!r->alive) return fault("release_image of a released image");
    r->alive = false;
}

tk::Cursor SimToolkit::load_system_cursor(int which) {
    if (which < 1 || which > 14) return nullptr;
    cursors_.push_back({true, which});
    return handle_at<tk::Cursor>(kCursorBase, cursors_.size() - 1);
}

void SimToolkit::release_cursor(tk::Cursor c) {
    CursorRecord* r = record_at(cursors_, kCursorBase, c);
    if (!c) return;
    if (!r) return fault("release_cursor of an unknown cursor");
    if (!r->alive) return fault("release_cursor of a released cursor");
    r->alive = false;
}

tk::Image SimToolkit::program_icon(bool small) {
    return handle_at<tk::Image>(kImageBase, small ? 1 : 0);
}

// Unknown and released fonts measure as the stock font, as a DC keeps its font when
// selecting an invalid one fails.
int SimToolkit::double_byte_char_height(tk::Font f) {
    const FontRecord* r = font_record(f);
    if (!r || !r->alive || r->stock) return kStockFontCharHeight;
    std::int32_t height = 0;
    std::memcpy(&height, r->logfont.data(), 4);  // lfHeight, little-endian like the record
    const long long magnitude = height < 0 ? -static_cast<long long>(height) : height;
    return magnitude == 0 ? kCreatedFontCharHeight : static_cast<int>(magnitude);
}

int SimToolkit::edge_height() { return kEdgeHeight; }

tk::Rect SimToolkit::screen() { return {0, 0, screen_width_, screen_height_}; }

tk::Rect SimToolkit::work_area(tk::Handle) {
    return {0, 0, screen_width_, std::max(0, screen_height_ - kTaskBarHeight)};
}

// ===== clipboard =====

BlockRecord* SimToolkit::block(tk::Block b) { return record_at(blocks_, kBlockBase, b); }

const BlockRecord* SimToolkit::block_record(tk::Block b) const {
    return record_at(blocks_, kBlockBase, b);
}

std::string SimToolkit::block_name(tk::Block b) const {
    if (!b) return "null";
    const BlockRecord* r = block_record(b);
    return r ? "#" + std::to_string(r->id) : "?";
}

bool SimToolkit::open_clipboard() {
    const bool ok = !clipboard_held_;
    if (ok) clipboard_open_ = true;
    log_clipboard(std::string("open_clipboard() -> ") + (ok ? "1" : "0"));
    return ok;
}

void SimToolkit::empty_clipboard() {
    const bool ok = clipboard_open_;
    if (ok) {
        for (auto& [format, b] : clipboard_data_) block(b)->owner = BlockRecord::freed;
        clipboard_data_.clear();
        clipboard_owned_ = true;
    }
    log_clipboard(std::string("empty_clipboard() -> ") + (ok ? "1" : "0"));
}

tk::Block SimToolkit::global_alloc(std::uint32_t flags, std::size_t bytes) {
    std::string call = "global_alloc(" + hex(flags) + ", " + std::to_string(bytes) + ") -> ";
    if (fail_global_alloc_) {
        log_clipboard(call + "null");
        return nullptr;
    }
    BlockRecord& r = blocks_.emplace_back();
    r.id = int(blocks_.size());
    r.flags = flags;
    r.bytes.assign(bytes, (flags & tk::GMEM_ZEROINIT_) ? 0 : kFreshFill);
    const auto b = handle_at<tk::Block>(kBlockBase, blocks_.size() - 1);
    log_clipboard(call + block_name(b));
    return b;
}

void* SimToolkit::global_lock(tk::Block b) {
    BlockRecord* r = block(b);
    const bool ok = r && r->owner != BlockRecord::freed;
    if (r && r->owner == BlockRecord::clipboard)
        clipboard_faults_.push_back("global_lock(" + block_name(b) +
                                    ") after the clipboard took it");
    void* p = ok && !r->bytes.empty() ? r->bytes.data() : nullptr;
    if (ok) ++r->locks;
    log_clipboard("global_lock(" + block_name(b) + ") -> " + (p ? "address" : "null"));
    return p;
}

void SimToolkit::global_unlock(tk::Block b) {
    BlockRecord* r = block(b);
    if (r && r->locks > 0)
        --r->locks;
    else
        clipboard_faults_.push_back("global_unlock(" + block_name(b) + ") without a lock");
    log_clipboard("global_unlock(" + block_name(b) + ")");
}

void SimToolkit::set_clipboard_data(std::uint32_t format, tk::Block b) {
    BlockRecord* r = block(b);
    const bool ok = clipboard_open_ && r && r->owner == BlockRecord::program;
    if (r && !(r->flags & tk::GMEM_MOVEABLE_))
        clipboard_faults_.push_back("set_clipboard_data(" + block_name(b) + ") with a fixed block");
    if (r && r->locks > 0)
        clipboard_faults_.push_back("set_clipboard_data(" + block_name(b) + ") while locked");
    if (ok) {
        if (auto old = clipboard_data_.find(format); old != clipboard_data_.end())
            block(old->second)->owner = BlockRecord::freed;
        clipboard_data_[format] = b;
        r->owner = BlockRecord::clipboard;
    }
    log_clipboard("set_clipboard_data(" + std::to_string(format) + ", " + block_name(b) + ") -> " +
                  (ok ? "1" : "0"));
}

void SimToolkit::close_clipboard() {
    const bool ok = clipboard_open_;
    clipboard_open_ = false;
    log_clipboard(std::string("close_clipboard() -> ") + (ok ? "1" : "0"));
}

void SimToolkit::hold_clipboard(bool held) { clipboard_held_ = held; }

void SimToolkit::fail_global_alloc(bool fail) { fail_global_alloc_ = fail; }

void SimToolkit::put_clipboard(std::uint32_t format, std::string_view bytes) {
    BlockRecord& r = blocks_.emplace_back();
    r.id = int(blocks_.size());
    r.flags = tk::GMEM_MOVEABLE_;
    r.bytes.assign(bytes.begin(), bytes.end());
    r.owner = BlockRecord::clipboard;
    if (auto old = clipboard_data_.find(format); old != clipboard_data_.end())
        block(old->second)->owner = BlockRecord::freed;
    clipboard_data_[format] = handle_at<tk::Block>(kBlockBase, blocks_.size() - 1);
    clipboard_owned_ = false;
}

std::optional<std::string> SimToolkit::clipboard_bytes(std::uint32_t format) const {
    auto it = clipboard_data_.find(format);
    if (it == clipboard_data_.end()) return std::nullopt;
    const BlockRecord* r = block_record(it->second);
    return std::string(r->bytes.begin(), r->bytes.end());
}

std::vector<std::uint32_t> SimToolkit::clipboard_formats() const {
    std::vector<std::uint32_t> formats;
    for (const auto& [format, b] : clipboard_data_) formats.push_back(format);
    return formats;
}

std::size_t SimToolkit::live_program_blocks() const {
    return std::size_t(std::count_if(blocks_.begin(), blocks_.end(), [](const BlockRecord& r) {
        return r.owner == BlockRecord::program;
    }));
}

// ===== heap =====

void* SimToolkit::heap_alloc(std::size_t bytes) {
    if (record_heap_requests_) heap_requests_.push_back(bytes);
    if (heap_fail_countdown_ > 0 && --heap_fail_countdown_ == 0) {
        ++failed_allocations_;
        return nullptr;
    }
    void* p = std::malloc(bytes ? bytes : 1);
    if (!p) {
        ++failed_allocations_;
        return nullptr;
    }
    if (!plain_heap_) std::memset(p, kFreshFill, bytes);
    heap_[p] = {bytes, true};
    ++total_allocations_;
    ++live_heap_blocks_;
    live_bytes_ += bytes;
    peak_bytes_ = std::max(peak_bytes_, live_bytes_);
    return p;
}

// Faults are recorded, never acted on; a freed block keeps its memory so that its address is
// not handed out again and a second free of it is recognised.
void SimToolkit::heap_free(void* p) {
    if (!p) {
        heap_faults_.push_back({HeapFault::null_free, p});
        return;
    }
    auto it = heap_.find(p);
    if (it == heap_.end()) {
        heap_faults_.push_back({HeapFault::foreign_free, p});
        return;
    }
    if (!it->second.live) {
        heap_faults_.push_back({HeapFault::double_free, p});
        return;
    }
    --live_heap_blocks_;
    live_bytes_ -= it->second.size;
    if (plain_heap_) {
        heap_.erase(it);
        std::free(p);
        return;
    }
    it->second.live = false;
    std::memset(p, kFreedFill, it->second.size);
}

void SimToolkit::fail_allocation(int n) { heap_fail_countdown_ = n; }

bool SimToolkit::is_live_block(const void* p) const {
    auto it = heap_.find(const_cast<void*>(p));
    return it != heap_.end() && it->second.live;
}

// ===== message box, process, files =====

int SimToolkit::message_box(std::string_view text, std::string_view caption, std::uint32_t flags) {
    message_boxes_.push_back({std::string(text), std::string(caption), flags});
    return 1;  // IDOK
}

void SimToolkit::exit_process(int code) {
    exit_code_ = code;
    throw ProcessExit{code};
}

bool SimToolkit::file_exists(std::string_view path) { return files_.find(path) != files_.end(); }

void SimToolkit::open_help(std::string_view path, std::int32_t context) {
    help_requests_.push_back({std::string(path), context});
}

std::string SimToolkit::program_path() { return kProgramPath; }

// ===== set-up switches =====

void SimToolkit::set_screen(std::int32_t width, std::int32_t height) {
    screen_width_ = width;
    screen_height_ = height;
}

void SimToolkit::refuse_create_after(int n) { refuse_countdown_ = n; }

void SimToolkit::set_button_face_color(tk::Color c) { button_face_ = c; }

void SimToolkit::enable(tk::Handle h, bool enabled) {
    Object* o = live(h);
    if (!o) return;
    if (enabled)
        o->style &= ~WS_DISABLED;
    else
        o->style |= WS_DISABLED;
}

// ===== the user =====

bool SimToolkit::click(tk::Handle h) {
    const Object* o = live(h);
    if (!takes_input(h)) return false;
    // A group box lets clicks through to whatever lies below it.
    if (o->class_name == tk::kButtonClass && (o->style & BS_TYPE_MASK) == BS_GROUPBOX) return false;
    if (active_ != top_level_of(h)) activate_window(top_level_of(h));
    if (!takes_input(h)) return true;
    const std::string cls = o->class_name;
    if (cls == tk::kButtonClass || cls == tk::kEditClass) set_focus(h);
    if (cls == tk::kButtonClass && takes_input(h)) press_button(h);
    return true;
}

// What a button does when clicked or pressed with Space: automatic kinds change their own
// state first, then the parent hears BN_CLICKED.
void SimToolkit::press_button(tk::Handle h) {
    Object* o = live(h);
    switch (o->style & BS_TYPE_MASK) {
        case BS_GROUPBOX: return;
        case BS_AUTOCHECKBOX: o->check = o->check == 1 ? 0 : 1; break;
        case BS_AUTO3STATE: o->check = (o->check + 1) % 3; break;
        case BS_AUTORADIOBUTTON:
            o->check = 1;
            // The group of an automatic radio button is every automatic radio button of its parent.
            for (tk::Handle s : siblings_of(*o)) {
                Object* sib = live(s);
                if (s != h && sib && sib->class_name == tk::kButtonClass &&
                    (sib->style & BS_TYPE_MASK) == BS_AUTORADIOBUTTON)
                    sib->check = 0;
            }
            break;
        default: break;
    }
    notify(h, tk::BN_CLICKED_);
}

bool SimToolkit::type_text(tk::Handle h, std::string_view bytes) {
    const Object* o = live(h);
    if (!o || o->class_name != tk::kEditClass || !takes_input(h)) return false;
    for (std::string_view unit : split_chars(bytes)) {
        if (!live(h)) break;
        edit_char(h, unit);
    }
    return true;
}

// One character arriving at an edit (WM_CHAR).
void SimToolkit::edit_char(tk::Handle h, std::string_view unit) {
    const Object* o = live(h);
    if (!o) return;
    const bool multi = o->style & ES_MULTILINE;
    if (is_enter(unit)) {
        if (multi && (o->style & ES_WANTRETURN)) edit_insert(h, "\r\n");
        return;
    }
    if (unit == "\t") {
        if (multi) edit_insert(h, "\t");
        return;
    }
    if (unit == "\b") return edit_backspace(h);
    const auto first = static_cast<unsigned char>(unit[0]);
    if (unit.size() == 1 && (first < 0x20 || first == 0x7F)) return;
    if ((o->style & ES_NUMBER) && !(unit.size() == 1 && first >= '0' && first <= '9')) return;
    std::string c(unit);
    if (c.size() == 1 && (o->style & ES_UPPERCASE) && c[0] >= 'a' && c[0] <= 'z')
        c[0] = char(c[0] - 'a' + 'A');
    if (c.size() == 1 && (o->style & ES_LOWERCASE) && c[0] >= 'A' && c[0] <= 'Z')
        c[0] = char(c[0] - 'A' + 'a');
    edit_insert(h, c);
}

// Replaces the selection with typed bytes, within the text limit; a read-only edit takes
// nothing. A character that does not fit is refused whole (EN_MAXTEXT).
void SimToolkit::edit_insert(tk::Handle h, std::string_view bytes) {
    Object* o = live(h);
    if (!o || (o->style & ES_READONLY)) return;
    const std::size_t kept = o->text.size() - std::size_t(o->selection_end - o->selection_start);
    if (kept + bytes.size() > o->text_limit) {
        notify(h, EN_MAXTEXT_);
        return;
    }
    o->text.replace(std::size_t(o->selection_start),
                    std::size_t(o->selection_end - o->selection_start), bytes);
    o->caret = o->selection_start + std::int32_t(bytes.size());
    o->selection_start = o->selection_end = o->caret;
    edit_changed(h);
}

// Deletes the selection, or the character before the caret (a GBK pair or "\r\n" as one).
void SimToolkit::edit_backspace(tk::Handle h) {
    Object* o = live(h);
    if (!o || (o->style & ES_READONLY)) return;
    std::size_t from = std::size_t(o->selection_start), to = std::size_t(o->selection_end);
    if (from == to) {
        if (from == 0) return;
        from = previous_char_start(o->text, from);
    }
    o->text.erase(from, to - from);
    o->caret = o->selection_start = o->selection_end = std::int32_t(from);
    edit_changed(h);
}

void SimToolkit::edit_changed(tk::Handle h) {
    notify(h, EN_UPDATE_);
    notify(h, tk::EN_CHANGE_);
}

void SimToolkit::press_key(std::uint32_t vk, tk::Keys keys) { dispatch_key(vk, keys); }

void SimToolkit::type_chars(std::string_view text) {
    post_chars(text);
    pump();
}

void SimToolkit::dispatch_key(std::uint32_t vk, tk::Keys keys) {
    const tk::Handle target = focus_ ? focus_ : active_;
    if (!live(target)) return;
    if (events().pre_translate(tk::KeyPress{target, vk, keys, keys.alt})) return;
    default_key(target, vk, keys);
}

// A control's own handling of a key that the window did not take.
void SimToolkit::default_key(tk::Handle target, std::uint32_t vk, tk::Keys keys) {
    const Object* o = live(target);
    if (!o || !takes_input(target)) return;
    if (o->class_name == tk::kButtonClass) {
        if (vk == tk::VK_SPACE_ && !keys.alt && !keys.control) press_button(target);
        return;
    }
    if (o->class_name == tk::kEditClass) {
        const std::string c = translate_key(vk, keys);
        if (!c.empty()) edit_char(target, c);
    }
}

void SimToolkit::dispatch_char(std::string_view unit) {
    if (is_enter(unit)) return dispatch_key(tk::VK_RETURN_, {});
    if (unit == "\t") return dispatch_key(tk::VK_TAB_, {});
    if (unit == "\b") return dispatch_key(tk::VK_BACK_, {});
    const Object* o = live(focus_);
    if (o && o->class_name == tk::kEditClass && takes_input(focus_)) edit_char(focus_, unit);
}

void SimToolkit::close(tk::Handle h) {
    const Object* o = live(h);
    if (!o || o->dying) return;
    if (events().close_requested(h)) destroy(h);
}

bool SimToolkit::spin(tk::Handle updown, int delta) {
    Object* o = live(updown);
    if (!o || o->class_name != tk::kUpDownClass || !takes_input(updown)) return false;
    o->position = std::clamp(o->position + delta, std::min(o->range_low, o->range_high),
                             std::max(o->range_low, o->range_high));
    events().spin(updown, delta);
    return true;
}

std::optional<tk::ColorAnswer> SimToolkit::request_color(tk::Handle h) {
    const Object* o = live(h);
    if (!o || !live(o->parent)) return std::nullopt;
    tk::ColorAnswer answer;
    if (events().color(o->parent, h, answer)) return answer;
    return std::nullopt;
}

std::vector<DrawCall> SimToolkit::paint(tk::Handle h, const tk::Rect& dirty) {
    last_paint_handled_ = false;
    Object* o = live(h);
    if (!o) return {};
    o->needs_paint = false;
    RecordingCanvas canvas;
    last_paint_handled_ = events().paint(h, canvas, dirty);
    return std::move(canvas.calls);
}

std::vector<DrawCall> SimToolkit::paint(tk::Handle h) { return paint(h, client_rect(h)); }

std::vector<DrawCall> SimToolkit::erase(tk::Handle h) {
    last_paint_handled_ = false;
    if (!live(h)) return {};
    RecordingCanvas canvas;
    last_paint_handled_ = events().erase(h, canvas);
    return std::move(canvas.calls);
}

// ===== the message queue =====

void SimToolkit::post_click(tk::Handle h) {
    queue_.push_back({Message::Kind::click, 0, {}, {}, h});
}

void SimToolkit::post_key(std::uint32_t vk, tk::Keys keys) {
    queue_.push_back({Message::Kind::key, vk, keys, {}, nullptr});
}

void SimToolkit::post_chars(std::string_view text) {
    for (std::string_view unit : split_chars(text))
        queue_.push_back({Message::Kind::chars, 0, {}, std::string(unit), nullptr});
}

void SimToolkit::post_close(tk::Handle h) {
    queue_.push_back({Message::Kind::close, 0, {}, {}, h});
}

void SimToolkit::dispatch(const Message& m) {
    switch (m.kind) {
        case Message::Kind::key: dispatch_key(m.vk, m.keys); break;
        case Message::Kind::chars: dispatch_char(m.chars); break;
        case Message::Kind::click: click(m.target); break;
        case Message::Kind::close: close(m.target); break;
    }
}

void SimToolkit::pump() {
    while (!queue_.empty()) {
        const Message m = queue_.front();
        queue_.pop_front();
        dispatch(m);
    }
}

bool SimToolkit::message_waiting() { return !queue_.empty() || quit_code_.has_value(); }

// The quit message comes only once nothing else is waiting, as WM_QUIT does.
bool SimToolkit::next_message(int* exit_code) {
    if (!queue_.empty()) {
        const Message m = queue_.front();
        queue_.pop_front();
        dispatch(m);
        return true;
    }
    if (quit_code_) {
        if (exit_code) *exit_code = *quit_code_;
        quit_code_.reset();
        return false;
    }
    // The scripted user acts when the program waits for input; each step runs once.
    if (!script_.empty()) {
        std::function<void(SimToolkit&)> step = std::move(script_.front());
        script_.pop_front();
        step(*this);
        return true;
    }
    starved_ = true;
    if (exit_code) *exit_code = -2;
    return false;
}

void SimToolkit::deliver_waiting() { pump(); }

void SimToolkit::post_quit(int code) { quit_code_ = code; }

// ===== queries =====

tk::Handle SimToolkit::find_child(tk::Handle parent, std::int32_t child_id) const {
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        const tk::Handle h = handle_of(i);
        const Object& o = objects_[i];
        if (o.alive && o.parent && o.child_id == child_id &&
            (!parent || (h != parent && in_subtree(h, parent))))
            return h;
    }
    return nullptr;
}

tk::Handle SimToolkit::find_by_text(tk::Handle parent, std::string_view text) const {
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        const tk::Handle h = handle_of(i);
        const Object& o = objects_[i];
        if (o.alive && o.text == text && (!parent || (h != parent && in_subtree(h, parent))))
            return h;
    }
    return nullptr;
}

std::vector<tk::Handle> SimToolkit::children(tk::Handle parent) const {
    if (!parent) return top_levels_;
    const Object* o = live(parent);
    return o ? o->children : std::vector<tk::Handle>{};
}

Point SimToolkit::screen_origin(tk::Handle h) const {
    Point p;
    for (const Object* o = live(h); o; o = live(o->parent)) {
        const Edges e = frame_edges(o->style, o->ex_style);
        p.x += o->rect.left + e.left;
        p.y += o->rect.top + e.top;
    }
    return p;
}

std::string SimToolkit::class_name(tk::Handle h) const {
    const Object* o = live(h);
    return o ? o->class_name : std::string();
}

std::size_t SimToolkit::object_count() const {
    return std::size_t(
        std::count_if(objects_.begin(), objects_.end(), [](const Object& o) { return o.alive; }));
}

const FontRecord* SimToolkit::font_record(tk::Font f) const {
    return record_at(fonts_, kFontBase, f);
}
const BrushRecord* SimToolkit::brush_record(tk::Brush b) const {
    return record_at(brushes_, kBrushBase, b);
}
const ImageRecord* SimToolkit::image_record(tk::Image i) const {
    return record_at(images_, kImageBase, i);
}
const CursorRecord* SimToolkit::cursor_record(tk::Cursor c) const {
    return record_at(cursors_, kCursorBase, c);
}

std::size_t SimToolkit::live_fonts() const {
    return std::size_t(std::count_if(fonts_.begin(), fonts_.end(),
                                     [](const FontRecord& r) { return r.alive && !r.stock; }));
}
std::size_t SimToolkit::live_brushes() const {
    return std::size_t(std::count_if(brushes_.begin(), brushes_.end(),
                                     [](const BrushRecord& r) { return r.alive; }));
}
std::size_t SimToolkit::live_images() const {
    return std::size_t(std::count_if(images_.begin(), images_.end(),
                                     [](const ImageRecord& r) { return r.alive && !r.stock; }));
}
std::size_t SimToolkit::live_cursors() const {
    return std::size_t(std::count_if(cursors_.begin(), cursors_.end(),
                                     [](const CursorRecord& r) { return r.alive; }));
}

}  // namespace sim
