#include "cli/JsonLine.h"

#include <cstdio>

#include "cli/Utf8.h"

std::string JsonLine::Quote(std::string_view text)
{
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", c);
            quoted += escape;
            ++i;
        } else if (c < 0x80) {
            quoted += static_cast<char>(c);
            ++i;
        } else if (char32_t codePoint = 0; const std::size_t length = Utf8SequenceAt(text, i, codePoint)) {
            quoted.append(text.substr(i, length));
            i += length;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", c);
            quoted += escape;
            ++i;
        }
    }
    return quoted + "\"";
}

void JsonLine::Key(std::string_view key)
{
    if (!fields_.empty())
        fields_ += ',';
    fields_ += Quote(key);
    fields_ += ':';
}

JsonLine& JsonLine::Add(std::string_view key, std::string_view value)
{
    Key(key);
    fields_ += Quote(value);
    return *this;
}

JsonLine& JsonLine::AddUnsigned(std::string_view key, std::uint64_t value)
{
    Key(key);
    fields_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, long long value)
{
    Key(key);
    fields_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, bool value)
{
    Key(key);
    fields_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::AddRaw(std::string_view key, std::string_view json)
{
    Key(key);
    fields_.append(json);
    return *this;
}

JsonLine& JsonLine::Append(const JsonLine& other)
{
    if (!other.fields_.empty()) {
        if (!fields_.empty())
            fields_ += ',';
        fields_ += other.fields_;
    }
    return *this;
}
