// Event names and the detail words: decimal numbers, hex numbers with 0x,
// byte runs as plain lower-case hex.
#include "gen_events.h"

#include <cassert>
#include <cstdio>

namespace zelmot {
namespace {

// ORDER EventKind
constexpr const char* kEventNames[] = {
    "data_exchange", "lost",      "dropout_start", "dropout_end", "ext_diag",   "diag_clear",
    "alarm_ack",     "cfg_fault", "wrong_ident",   "prm_fault",   "clear_on",   "clear_off",
    "dpv1_read",     "dpv1_error", "rs_answer"};
static_assert(sizeof kEventNames / sizeof kEventNames[0] == static_cast<std::size_t>(EventKind::RsAnswer) + 1);

void StartWord(std::string& detail, const char* key) {
    if (!detail.empty()) detail += ' ';
    detail += key;
    detail += '=';
}

}  // namespace

const char* EventName(EventKind kind) {
    assert(static_cast<std::size_t>(kind) < sizeof kEventNames / sizeof kEventNames[0]);
    return kEventNames[static_cast<std::size_t>(kind)];
}

void AddNumberDetail(std::string& detail, const char* key, std::int64_t value) {
    StartWord(detail, key);
    detail += std::to_string(value);
}

void AddHexDetail(std::string& detail, const char* key, std::uint32_t value, unsigned digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", static_cast<int>(digits), value);
    StartWord(detail, key);
    detail += text;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

void AddBytesDetail(std::string& detail, const char* key, const std::uint8_t* bytes, std::size_t count) {
    StartWord(detail, key);
    detail += HexBytes(bytes, count);
}

void AddTextDetail(std::string& detail, const char* key, const char* text) {
    StartWord(detail, key);
    detail += text;
}

}  // namespace zelmot
