#include "jcprecord.h"

#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence starting at `i`, or 0 when the bytes
// there are not one (stray continuation, overlong form, surrogate, beyond
// U+10FFFF, cut short).
std::size_t utf8SequenceLength(const std::string &s, std::size_t i)
{
    const auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0)
            low = 0xa0;
        else if (lead == 0xed)
            high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0)
            low = 0x90;
        else if (lead == 0xf4)
            high = 0x8f;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xbf)
            return 0;
    }
    return length;
}

} // namespace

std::string jsonString(const std::string &value)
{
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < value.size();) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8SequenceLength(value, i);
            if (length == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(value, i, length);
                i += length;
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 0xf];
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string jsonStringArray(const std::vector<std::string> &values)
{
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ',';
        out += jsonString(values[i]);
    }
    out += ']';
    return out;
}

bool appendLine(const std::string &path, const std::string &line)
{
    std::FILE *file = std::fopen(path.c_str(), "ab");
    if (!file)
        return false;
    // Unbuffered, so the whole line goes out in one write and runs that
    // overlap never interleave their records.
    std::setvbuf(file, nullptr, _IONBF, 0);
    const std::string record = line + '\n';
    const bool written = std::fwrite(record.data(), 1, record.size(), file) == record.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}
