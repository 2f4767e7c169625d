// form_gen OUT_FILE: writes MainWindow's form data, generated from its readable description.
#include <cstdio>

#include "formkit/main_window.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: form_gen OUT_FILE\n");
        return 2;
    }
    const formkit::Bytes bytes = formkit::write_form(formkit::main_window_form());
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("%s: %zu bytes\n", argv[1], bytes.size());
    return 0;
}
