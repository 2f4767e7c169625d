// form_dump FILE: prints a form file readably, GBK texts shown as UTF-8. A file that does not
// load is printed as far as it loaded, followed by the error; the exit code is then 1.
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "commands/handler_table.h"
#include "window/form.h"

namespace {

// GBK to UTF-8; a byte that is not GBK is shown as \xNN so that nothing is hidden.
std::string utf8(const std::string& gbk) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return gbk;
    std::string out;
    std::string in = gbk;
    char* src = in.data();
    std::size_t src_left = in.size();
    char buffer[256];
    while (src_left > 0) {
        char* dst = buffer;
        std::size_t dst_left = sizeof buffer;
        const std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(*src));
            out += escaped;
            ++src;
            --src_left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

const char* kind_name(std::uint32_t kind) {
    switch (kind) {
    case form::KIND_WINDOW: return "window";
    case form::KIND_EDIT_BOX: return "EditBox";
    case form::KIND_GROUP_BOX: return "GroupBox";
    case form::KIND_LABEL: return "Label";
    case form::KIND_BUTTON: return "Button";
    case form::KIND_CHECK_BOX: return "CheckBox";
    case form::KIND_RADIO_BOX: return "RadioBox";
    default: return nullptr;
    }
}

std::string kind_text(std::uint32_t kind) {
    if (const char* name = kind_name(kind)) return name;
    char hex[24];
    std::snprintf(hex, sizeof hex, "kind 0x%08x", kind);
    return hex;
}

const char* error_name(form::LoadError e) {
    switch (e) {
    case form::LoadError::none: return "none";
    case form::LoadError::truncated: return "truncated";
    case form::LoadError::inconsistent: return "inconsistent";
    case form::LoadError::bad_handler: return "bad_handler";
    }
    return "?";
}

std::string flag_names(std::uint32_t flags) {
    std::string s;
    if (flags & form::FLAG_VISIBLE) s += " visible";
    if (flags & form::FLAG_DISABLED) s += " disabled";
    if (flags & form::FLAG_TAB_STOP) s += " tab-stop";
    return s;
}

// Where the caption lies in a kind's block: the bytes of integer fields before the counted
// fields (by version for the window), and how many counted fields precede it.
struct CaptionPlace {
    std::size_t integer_bytes;
    int fields_before;
};

std::optional<CaptionPlace> caption_place(std::uint32_t kind, std::uint32_t version) {
    switch (kind) {
    case form::KIND_WINDOW: {
        static const std::size_t by_version[] = {56, 56, 60, 68, 72, 76};
        if (version >= 6) return CaptionPlace{76, 4};  // window_class comes first from version 6 on
        return CaptionPlace{by_version[version], 3};
    }
    case form::KIND_BUTTON: return CaptionPlace{16, 2};
    case form::KIND_GROUP_BOX: return CaptionPlace{16, 1};
    case form::KIND_LABEL: return CaptionPlace{68, 2};
    case form::KIND_EDIT_BOX: return CaptionPlace{66, 1};  // the field's text
    case form::KIND_CHECK_BOX:
    case form::KIND_RADIO_BOX: return CaptionPlace{36, 2};
    default: return std::nullopt;
    }
}

std::uint32_t u32_at(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

// The caption stored in a block, or nothing when the block is empty or too short to hold it.
std::optional<std::string> caption_in(std::uint32_t kind, const std::vector<std::uint8_t>& block) {
    if (block.size() < 4) return std::nullopt;
    const auto place = caption_place(kind, u32_at(block, 0));
    if (!place) return std::nullopt;
    std::size_t at = place->integer_bytes;
    for (int field = 0;; ++field) {
        if (at > block.size() || block.size() - at < 4) return std::nullopt;
        const auto count = static_cast<std::int32_t>(u32_at(block, at));
        at += 4;
        const std::size_t length = count > 0 ? static_cast<std::size_t>(count) : 0;
        if (length > block.size() - at) return std::nullopt;
        if (field == place->fields_before) {
            const auto begin = block.begin() + static_cast<std::ptrdiff_t>(at);
            return std::string(begin, std::find(begin, begin + static_cast<std::ptrdiff_t>(length), std::uint8_t{0}));
        }
        at += length;
    }
}

void print_hex(const char* indent, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); i += 16) {
        std::printf("%s", indent);
        for (std::size_t k = i; k < bytes.size() && k < i + 16; ++k) std::printf(" %02x", bytes[k]);
        std::printf("\n");
    }
}

std::string unit_label(const form::WindowTemplate& t, std::uint32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08x", id);
    const form::UnitRecord* u = t.find(id);
    if (!u) return std::string(hex) + " (not in the table)";
    return std::string(hex) + " " + utf8(u->name);
}

void print_unit(const form::WindowTemplate& t, std::size_t pos) {
    const form::UnitRecord& u = t.units[pos];
    std::printf("  [%zu] 0x%08x %s \"%s\"\n", pos, u.id, kind_text(u.kind).c_str(), utf8(u.name).c_str());
    std::printf("      parent %s\n", u.parent == 0 ? "0" : unit_label(t, u.parent).c_str());
    std::printf("      rect %d, %d, %d x %d; flags %u%s; tab_order %d\n", u.left, u.top, u.width, u.height,
                u.flags, flag_names(u.flags).c_str(), u.tab_order);
    if (!u.children.empty()) {
        std::printf("      children");
        for (std::size_t i = 0; i < u.children.size(); ++i)
            std::printf("%s %s", i ? "," : "", unit_label(t, u.children[i]).c_str());
        std::printf("\n");
    }
    for (const form::EventBinding& e : u.events)
        std::printf("      event %d -> handler %d\n", e.event, e.reference);
    if (u.event_source != 0) std::printf("      event_source %s\n", unit_label(t, u.event_source).c_str());
    if (!u.comment.empty()) std::printf("      comment \"%s\"\n", utf8(u.comment).c_str());
    if (!u.tag.empty()) std::printf("      tag \"%s\"\n", utf8(u.tag).c_str());
    if (u.stored_object_slot || u.stored_pointer_slot || u.reserved)
        std::printf("      stored slots %d, %d; reserved %d\n", u.stored_object_slot, u.stored_pointer_slot,
                    u.reserved);
    std::printf("      mouse_pointer (%zu bytes)", u.mouse_pointer.size());
    for (std::uint8_t b : u.mouse_pointer) std::printf(" %02x", b);
    std::printf("\n");
    if (u.settings.empty()) {
        std::printf("      settings (0 bytes): every setting at its default\n");
        return;
    }
    if (const auto caption = caption_in(u.kind, u.settings))
        std::printf("      %s \"%s\"\n", u.kind == form::KIND_EDIT_BOX ? "text" : "caption", utf8(*caption).c_str());
    std::printf("      settings (%zu bytes, version %u)\n", u.settings.size(),
                u.settings.size() >= 4 ? u32_at(u.settings, 0) : 0u);
    print_hex("       ", u.settings);
}

std::vector<std::uint8_t> read_file(const char* path, bool& ok) {
    std::vector<std::uint8_t> bytes;
    std::FILE* f = std::fopen(path, "rb");
    ok = f != nullptr;
    if (!f) return bytes;
    std::uint8_t buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    ok = !std::ferror(f);
    std::fclose(f);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: form_dump FILE\n");
        return 2;
    }
    bool ok = false;
    const std::vector<std::uint8_t> bytes = read_file(argv[1], ok);
    if (!ok) {
        std::perror(argv[1]);
        return 2;
    }
    // References are checked against the size of the program's handler table; the dump calls none.
    const std::array<form::Handler, commands::HANDLER_COUNT> handlers{};
    const form::LoadResult r = form::load_form(bytes, handlers);

    std::printf("%s: %zu bytes, %zu window(s)\n", argv[1], bytes.size(), r.form.windows.size());
    for (const form::WindowTemplate& t : r.form.windows) {
        std::printf("window 0x%08x: reserved %d, 0x%08x, \"%s\", \"%s\"; %zu units\n", t.window_id, t.reserved0,
                    t.reserved1, utf8(t.reserved_text0).c_str(), utf8(t.reserved_text1).c_str(), t.units.size());
        for (std::size_t pos = 0; pos < t.units.size(); ++pos) print_unit(t, pos);
    }
    if (r.error != form::LoadError::none) {
        std::printf("error: %s at byte %zu\n", error_name(r.error), r.offset);
        return 1;
    }
    return 0;
}
