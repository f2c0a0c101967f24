// qorva_zel.hpp compiled with -fno-exceptions: a session, its failed twin,
// a set refused and one accepted. Exits with 0 when every status is right.
#include "qorva_zel.hpp"

#include <cstdio>

namespace zel = qorva_zel;

int main(int argc, char** argv)
{
    const char* dir = argc > 1 ? argv[1] : ".";
    int wrong = 0;
    const auto expect = [&wrong](const char* what, zel::status got, zel::status want) {
        if (got != want) {
            std::printf("%s: %d (%s), wanted %d\n", what, static_cast<int>(got), zel::status_text(got),
                        static_cast<int>(want));
            ++wrong;
        }
    };

    zel::session game({"No Exceptions", "1.0", ".", dir, "cxx_header_no_exceptions", ""});
    expect("initialise", game.status(), zel::status::ok);
    if (!game) {
        return 1;
    }
    {
        zel::session second({"Second", "1.0", ".", dir, "second", ""});
        expect("second session", second.status(), zel::status::already_initialized);
        wrong += second ? 1 : 0;
    } // the failed session releases nothing
    expect("add", game.add(zel::enum_option("Filter", "Trilinear", {"Bilinear", "Trilinear"})), zel::status::ok);
    expect("set refused", game.set_enum("Filter", "Nearest"), zel::status::value_not_allowed);
    expect("set", game.set_enum("Filter", u"Bilinear"), zel::status::ok);
    expect("get int of an Enum", game.get_int("Filter").status(), zel::status::type_mismatch);
    if (game.get_enum("Filter").value_or("") != "Bilinear") {
        std::printf("get_enum did not return Bilinear\n");
        ++wrong;
    }
    expect("release", game.release(), zel::status::ok);
    expect("release twice", game.release(), zel::status::not_initialized);
    return wrong == 0 ? 0 : 1;
}
