// Values meant to break what reads them: quoting, escaping, wildcards, bytes that are not text, sizes and
// numbers or dates a careless reader takes for something else.
#pragma once

#include <string>
#include <vector>

namespace prueba {

inline std::vector<std::string> Hostiles() {
    using namespace std::string_literals;
    return {
        "'",
        "''",
        "\"",
        "\"\"",
        "\\",
        "\\\\",
        "\\'",
        "\\\"",
        "'; DROP TABLE centinela; --",
        "x'; DROP TABLE centinela; #",
        "\"; DROP TABLE centinela; --",
        "' OR '1'='1",
        "' OR 1=1 -- ",
        "1; DELETE FROM centinela",
        "') OR ('a'='a",
        "\\'; DROP TABLE centinela; --",
        "%",
        "_",
        "%_%",
        "a%b_c",
        "*",
        "`",
        "`centinela`",
        "/*",
        "*/",
        "-- ",
        "#",
        ";",
        "A|5",
        "|",
        "a\0b"s,
        "\0"s,
        "\xff\xfe",
        "\xc3",
        "\xed\xa0\x80",
        "\xc0\xaf",
        "caf\xe9",
        "\xf0\x9f\x98\x80",
        "\xe2\x80\xae" "atset",
        std::string(65536, 'x'),
        std::string(65536, '\''),
        std::string(300, '\\'),
        "1e309",
        "-1e309",
        "-0",
        "+0",
        "0x10",
        "0b1",
        "12,50",
        "1.2.3",
        "NaN",
        "inf",
        "-",
        "",
        " ",
        "\t",
        "99999999999999999999999999",
        "-9223372036854775809",
        "2024-02-30",
        "0000-00-00",
        "now()",
        "CURRENT_DATE",
        "NULL",
        "null",
        "\\N",
        "${HOME}",
        "$(rm -rf /)",
        "%s%s%s%n",
        "<script>alert(1)</script>",
        "\x1a",
        "\b\x7f",
    };
}

// Bytes as hex digits, to compare values that are not text, and back; and a short form for a failure's
// trace.
inline std::string Hex(const std::string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string r;
    for (unsigned char c : s) r += {d[c >> 4], d[c & 15]};
    return r;
}

inline std::string Bytes(const std::string& hex) {
    std::string r;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        r += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return r;
}

inline std::string Muestra(const std::string& s) {
    return Hex(s.substr(0, 40)) + (s.size() > 40 ? "... (" + std::to_string(s.size()) + ")" : "");
}

// Line-based files cannot carry a line end inside a value.
inline bool CabeEnUnaLinea(const std::string& s) {
    return s.find('\n') == std::string::npos && s.find('\r') == std::string::npos;
}

}  // namespace prueba
