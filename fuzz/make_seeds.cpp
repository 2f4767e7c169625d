// Writes the seed corpora of the fuzz targets: the real form and every settings block inside
// it, plus small forms, blocks of every kind and version, and pictures built here with formkit.
// Built natively with g++ -fexec-charset=GBK, so captions are the program's GBK bytes.
//
//   make_seeds FORM_FILE OUT_DIR   writes OUT_DIR/<target>/<name> and prints a count per target
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commands/handler_table.h"
#include "formkit/form_writer.h"
#include "formkit/main_window.h"
#include "window/form.h"
#include "window/picture.h"
#include "window/settings.h"

namespace {

namespace fs = std::filesystem;
using formkit::Bytes;

// --- output ---

struct Corpus {
    fs::path dir;
    int written = 0;
    int accepted = 0;  // of those, how many the target's own reader takes
};
std::map<std::string, Corpus> corpora;

void seed(const std::string& target, const std::string& name, const Bytes& bytes, bool accepted) {
    Corpus& c = corpora[target];
    std::ofstream(c.dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<std::streamsize>(bytes.size()));
    ++c.written;
    if (accepted) ++c.accepted;
}

// --- pictures ---

struct Writer {
    Bytes b;
    Writer& u8(std::uint32_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Writer& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Writer& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    Writer& raw(const Bytes& d) {
        b.insert(b.end(), d.begin(), d.end());
        return *this;
    }
};

// A DIB header of `size` bytes (40, 108 or 124) with the masks the larger ones hold.
Bytes info_header(std::uint32_t size, std::int32_t w, std::int32_t h, std::uint32_t bits, std::uint32_t compression,
                  std::uint32_t colours_used, const std::vector<std::uint32_t>& masks) {
    Writer hdr;
    hdr.u32(size).u32(static_cast<std::uint32_t>(w)).u32(static_cast<std::uint32_t>(h)).u16(1).u16(bits);
    hdr.u32(compression).u32(0).u32(2835).u32(2835).u32(colours_used).u32(0);
    if (size > 40)
        for (std::uint32_t m : masks) hdr.u32(m);
    hdr.b.resize(size, 0);
    return hdr.b;
}

Bytes core_header(std::uint32_t w, std::uint32_t h, std::uint32_t bits) {
    return Writer{}.u32(12).u16(w).u16(h).u16(1).u16(bits).b;
}

Bytes palette(int colours) {
    Writer p;
    for (int i = 0; i < colours; ++i) p.u8(i * 37).u8(i * 91).u8(i * 53).u8(0);
    return p.b;
}

// Rows of a w x h image at `bits`, each padded to four bytes, with varied content.
Bytes rows(std::uint32_t w, std::uint32_t h, std::uint32_t bits) {
    const std::size_t stride = (w * bits + 31) / 32 * 4;
    Bytes r(stride * h);
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>(i * 29 + 7);
    return r;
}

Bytes bmp(const Bytes& dib, const Bytes& extra, const Bytes& pixels) {
    Writer f;
    const auto offset = static_cast<std::uint32_t>(14 + dib.size() + extra.size());
    f.u8('B').u8('M').u32(offset + static_cast<std::uint32_t>(pixels.size())).u32(0).u32(offset);
    return f.raw(dib).raw(extra).raw(pixels).b;
}

// An icon file of one image: a DIB with doubled height, its colour rows and its 1-bit mask.
Bytes ico(std::uint32_t w, std::uint32_t h, std::uint32_t bits, int colours) {
    Bytes image = info_header(40, static_cast<std::int32_t>(w), static_cast<std::int32_t>(2 * h), bits, 0, 0, {});
    const Bytes pal = palette(colours), colour = rows(w, h, bits), mask = rows(w, h, 1);
    image.insert(image.end(), pal.begin(), pal.end());
    image.insert(image.end(), colour.begin(), colour.end());
    image.insert(image.end(), mask.begin(), mask.end());
    Writer f;
    f.u16(0).u16(1).u16(1);
    f.u8(w).u8(h).u8(colours).u8(0).u16(1).u16(bits).u32(static_cast<std::uint32_t>(image.size())).u32(22);
    return f.raw(image).b;
}

std::map<std::string, Bytes> pictures() {
    const std::vector<std::uint32_t> rgb565 = {0xF800, 0x07E0, 0x001F, 0};
    const std::vector<std::uint32_t> argb = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    return {
        {"bmp_1bit", bmp(info_header(40, 9, 3, 1, 0, 0, {}), palette(2), rows(9, 3, 1))},
        {"bmp_4bit", bmp(info_header(40, 5, 4, 4, 0, 16, {}), palette(16), rows(5, 4, 4))},
        {"bmp_8bit", bmp(info_header(40, 3, 3, 8, 0, 6, {}), palette(6), rows(3, 3, 8))},
        {"bmp_16bit_fields", bmp(info_header(40, 3, 2, 16, 3, 0, {}), Writer{}.u32(0xF800).u32(0x07E0).u32(0x001F).b,
                                 rows(3, 2, 16))},
        {"bmp_16bit_v4", bmp(info_header(108, 4, 2, 16, 3, 0, rgb565), {}, rows(4, 2, 16))},
        {"bmp_24bit", bmp(info_header(40, 3, 2, 24, 0, 0, {}), {}, rows(3, 2, 24))},
        {"bmp_24bit_top_down", bmp(info_header(40, 2, -3, 24, 0, 0, {}), {}, rows(2, 3, 24))},
        {"bmp_32bit_v5_alpha", bmp(info_header(124, 2, 2, 32, 3, 0, argb), {}, rows(2, 2, 32))},
        {"bmp_32bit", bmp(info_header(40, 2, 2, 32, 0, 0, {}), {}, rows(2, 2, 32))},
        {"bmp_core_1bit", bmp(core_header(9, 3, 1), Bytes{0, 0, 0, 0xFF, 0xFF, 0xFF}, rows(9, 3, 1))},
        {"ico_32bit", ico(4, 4, 32, 0)},
        {"ico_4bit", ico(8, 8, 4, 16)},
        {"ico_24bit", ico(3, 5, 24, 0)},
    };
}

bool decodes(const Bytes& b) { return ui::decode_picture(b).has_value(); }

// --- settings blocks ---

Bytes font_record() {
    Bytes f(60, 0);
    f[0] = 0xF4;  // height -12
    f[1] = f[2] = f[3] = 0xFF;
    f[16] = 0x90;  // weight 400
    f[17] = 0x01;
    const char face[] = "SimSun";
    std::copy(face, face + sizeof face - 1, f.begin() + 28);
    return f;
}

template <class Reader>
bool reads(const Bytes& block) {
    Reader r;
    return ui::read_settings(block, r);
}

// The kind's block at every version it knows, a full one with a font and a picture, and the
// empty block.
template <class Block, class Reader>
void settings_seeds(const std::string& target, std::uint32_t highest, Block full) {
    for (std::uint32_t v = 0; v <= highest; ++v) {
        Block s;
        s.version = v;
        seed(target, "version_" + std::to_string(v), formkit::encode(s), reads<Reader>(formkit::encode(s)));
    }
    full.version = highest;
    seed(target, "full", formkit::encode(full), reads<Reader>(formkit::encode(full)));
    seed(target, "empty", {}, reads<Reader>({}));
}

// --- small forms ---

formkit::Unit unit(std::uint32_t id, std::uint32_t kind, const char* name, std::uint32_t parent, Bytes settings) {
    formkit::Unit u;
    u.id = id;
    u.kind = kind;
    u.name = name;
    u.left = 4;
    u.top = 6;
    u.width = 40;
    u.height = 20;
    u.parent = parent;
    u.mouse_pointer = Bytes(4, 0);
    u.flags = form::FLAG_VISIBLE | form::FLAG_TAB_STOP;
    u.settings = std::move(settings);
    return u;
}

constexpr std::uint32_t WINDOW_UNIT = 0x06010000;

formkit::Window window(std::uint32_t id, std::vector<formkit::Unit> controls, Bytes window_settings) {
    formkit::Window w;
    w.id = id;
    w.placeholder = 0x12345678;
    w.reserved1 = 0x190100a4;
    w.units.push_back(unit(WINDOW_UNIT, form::KIND_WINDOW, "", 0, std::move(window_settings)));
    w.units[0].events = {{0, commands::H_CREATED}};
    for (formkit::Unit& u : controls) w.units.push_back(std::move(u));
    formkit::fill_children(w.units);
    return w;
}

Bytes form_of(std::vector<formkit::Window> windows) {
    formkit::Form f;
    f.windows = std::move(windows);
    return formkit::write_form(f);
}

std::map<std::string, Bytes> small_forms(const Bytes& bmp, const Bytes& icon) {
    formkit::WindowSettings ws;
    ws.caption = "小窗";
    ws.picture = bmp;
    ws.icon = icon;
    formkit::ButtonSettings bs;
    bs.caption = "确定";
    bs.picture = icon;
    bs.font = font_record();
    formkit::GroupBoxSettings gs;
    gs.caption = "框";
    formkit::LabelSettings ls;
    ls.picture = bmp;
    formkit::EditBoxSettings es;
    es.text = "文本";
    es.spin_mode = 1;
    formkit::CheckBoxSettings cs;
    cs.check_state = 1;
    formkit::RadioBoxSettings rs;

    constexpr std::uint32_t B = 0x16010001, G = 0x16010002, L = 0x16010003, E = 0x16010004, C = 0x16010005,
                            R = 0x16010006, INNER = 0x16010007, B2 = 0x16010008;
    std::vector<formkit::Unit> every_kind = {
        unit(B, form::KIND_BUTTON, "按钮1", G, formkit::encode(bs)),
        unit(G, form::KIND_GROUP_BOX, "分组框1", 0, formkit::encode(gs)),
        unit(L, form::KIND_LABEL, "标签1", 0, formkit::encode(ls)),
        unit(E, form::KIND_EDIT_BOX, "编辑框1", INNER, formkit::encode(es)),
        unit(C, form::KIND_CHECK_BOX, "选择框1", G, formkit::encode(cs)),
        unit(R, form::KIND_RADIO_BOX, "单选框1", G, formkit::encode(rs)),
        unit(INNER, form::KIND_GROUP_BOX, "分组框2", G, formkit::encode(gs)),
        unit(B2, form::KIND_BUTTON, "按钮2", 0, {}),
    };
    every_kind[0].events = {{0, commands::H_删除领地}, {-7, form::NO_HANDLER}};
    every_kind[7].event_source = B;  // shares the first button's events
    every_kind[7].mouse_pointer = {14, 0, 0, 0};

    std::vector<formkit::Unit> one_button = {unit(B, form::KIND_BUTTON, "按钮1", 0, formkit::encode(bs))};
    one_button[0].events = {{0, commands::H_复制11}};

    return {
        {"no_windows", form_of({})},
        {"window_alone", form_of({window(0x52010001, {}, formkit::encode(ws))})},
        {"window_without_settings", form_of({window(0x52010001, {}, {})})},
        {"every_kind", form_of({window(0x52010001, every_kind, formkit::encode(ws))})},
        {"two_windows", form_of({window(0x52010001, one_button, {}), window(0x52010002, every_kind, {})})},
    };
}

bool loads(const Bytes& b) {
    const std::vector<form::Handler> handlers(commands::HANDLER_COUNT, nullptr);
    return form::load_form(b, handlers).error == form::LoadError::none;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds FORM_FILE OUT_DIR\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const Bytes real((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "make_seeds: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::vector<form::Handler> handlers(commands::HANDLER_COUNT, nullptr);
    const form::LoadResult loaded = form::load_form(real, handlers);
    if (loaded.error != form::LoadError::none || loaded.form.windows.empty()) {
        std::fprintf(stderr, "make_seeds: %s does not load\n", argv[1]);
        return 1;
    }

    const std::vector<std::string> targets = {"form",           "picture",           "settings_window",
                                              "settings_button", "settings_label",    "settings_group_box",
                                              "settings_edit_box", "settings_check_box", "settings_radio_box"};
    for (const std::string& t : targets) {
        corpora[t].dir = fs::path(argv[2]) / t;
        fs::create_directories(corpora[t].dir);
    }

    // The form: as committed, as the generator writes it, and small ones of every shape.
    const std::map<std::string, Bytes> pics = pictures();
    seed("form", "main_window", real, true);
    const Bytes generated = formkit::write_form(formkit::main_window_form());
    if (generated != real) seed("form", "main_window_generated", generated, loads(generated));
    for (const auto& [name, bytes] : small_forms(pics.at("bmp_24bit"), pics.at("ico_32bit")))
        seed("form", name, bytes, loads(bytes));

    // Every settings block of the real form, filed under its kind.
    const std::map<std::uint32_t, std::string> kinds = {
        {form::KIND_WINDOW, "window"},       {form::KIND_BUTTON, "button"},       {form::KIND_LABEL, "label"},
        {form::KIND_GROUP_BOX, "group_box"}, {form::KIND_EDIT_BOX, "edit_box"}, {form::KIND_CHECK_BOX, "check_box"},
        {form::KIND_RADIO_BOX, "radio_box"},
    };
    for (const form::WindowTemplate& t : loaded.form.windows)
        for (std::size_t pos = 0; pos < t.units.size(); ++pos) {
            const form::UnitRecord& u = t.units[pos];
            const auto kind = kinds.find(u.kind);
            if (kind == kinds.end()) continue;
            const Bytes& b = u.settings;
            bool ok = false;
            switch (u.kind) {
            case form::KIND_WINDOW: ok = reads<ui::WindowSettings>(b); break;
            case form::KIND_BUTTON: ok = reads<ui::ButtonSettings>(b); break;
            case form::KIND_LABEL: ok = reads<ui::LabelSettings>(b); break;
            case form::KIND_GROUP_BOX: ok = reads<ui::GroupBoxSettings>(b); break;
            case form::KIND_EDIT_BOX: ok = reads<ui::EditBoxSettings>(b); break;
            case form::KIND_CHECK_BOX: ok = reads<ui::CheckBoxSettings>(b); break;
            case form::KIND_RADIO_BOX: ok = reads<ui::RadioBoxSettings>(b); break;
            }
            seed("settings_" + kind->second, "main_window_unit_" + std::to_string(pos), b, ok);
        }

    // Blocks of every kind at every version, and full ones with a font and a picture.
    const Bytes& bmp = pics.at("bmp_8bit");
    const Bytes& icon = pics.at("ico_4bit");
    formkit::WindowSettings w;
    w.window_class = "类";
    w.picture = bmp;
    w.icon = icon;
    w.music = {1, 2, 3};
    w.caption = "窗口";
    w.help_file = "help.hlp";
    settings_seeds<formkit::WindowSettings, ui::WindowSettings>("settings_window", 6, w);
    formkit::ButtonSettings b;
    b.picture = icon;
    b.font = font_record();
    settings_seeds<formkit::ButtonSettings, ui::ButtonSettings>("settings_button", 1, b);
    formkit::LabelSettings l;
    l.font = font_record();
    l.picture = bmp;
    l.data_source = "源";
    l.data_column = "列";
    settings_seeds<formkit::LabelSettings, ui::LabelSettings>("settings_label", 2, l);
    formkit::GroupBoxSettings g;
    g.font = font_record();
    g.caption = "框";
    settings_seeds<formkit::GroupBoxSettings, ui::GroupBoxSettings>("settings_group_box", 1, g);
    formkit::EditBoxSettings e;
    e.font = font_record();
    e.text = "文本";
    e.multi_line = 1;
    e.spin_mode = 1;
    e.data_source = "源";
    settings_seeds<formkit::EditBoxSettings, ui::EditBoxSettings>("settings_edit_box", 2, e);
    formkit::CheckBoxSettings c;
    c.picture = bmp;
    c.font = font_record();
    c.data_column = "列";
    settings_seeds<formkit::CheckBoxSettings, ui::CheckBoxSettings>("settings_check_box", 2, c);
    formkit::RadioBoxSettings r;
    r.picture = icon;
    r.font = font_record();
    settings_seeds<formkit::RadioBoxSettings, ui::RadioBoxSettings>("settings_radio_box", 1, r);

    for (const auto& [name, bytes] : pics) seed("picture", name, bytes, decodes(bytes));

    // Every seed meant to be read is read by the reader its target fuzzes; say so when not.
    int status = 0;
    for (const std::string& t : targets) {
        const Corpus& corpus = corpora[t];
        std::printf("seeds %-20s %3d written, %3d accepted by the target's reader\n", t.c_str(), corpus.written,
                    corpus.accepted);
        if (corpus.written == 0) status = 1;
    }
    return status;
}
