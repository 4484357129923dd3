#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// One JSON object on one line, built field by field in the order given. Other programs read
// quillet's --json output line by line, so an object never spans lines.
class JsonLine {
public:
    JsonLine& Add(std::string_view key, std::string_view value);
    JsonLine& Add(std::string_view key, const char* value) { return Add(key, std::string_view(value)); }
    JsonLine& Add(std::string_view key, const std::string& value) { return Add(key, std::string_view(value)); }
    JsonLine& Add(std::string_view key, long long value);
    JsonLine& Add(std::string_view key, int value) { return Add(key, static_cast<long long>(value)); }
    JsonLine& Add(std::string_view key, bool value);
    // A number of 64 bits without a sign (a serial number), written exactly.
    JsonLine& AddUnsigned(std::string_view key, std::uint64_t value);
    // A value that is JSON already: an array or an object.
    JsonLine& AddRaw(std::string_view key, std::string_view json);
    // The fields of another line, appended to these.
    JsonLine& Append(const JsonLine& other);

    std::string Text() const { return "{" + fields_ + "}"; }

    // A JSON string literal, quotes included. Board texts are 8-bit characters, file names
    // are the file system's bytes: valid UTF-8 passes as it is, any other byte is taken as
    // Latin-1 and escaped, so the output is always valid UTF-8.
    static std::string Quote(std::string_view text);

private:
    void Key(std::string_view key);

    std::string fields_;
};
