// The emulator's protocol trace: one line per event, "<ms> <event>".
#pragma once
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

class Trace {
public:
    Trace() = default;
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    bool OpenFile(const char* path);   // appended to and flushed line by line
    void KeepLines(bool keep) { keep_ = keep; }
    void Line(uint64_t ms, const std::string& event);
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

private:
    FILE* file_ = nullptr;
    bool keep_ = false;
    std::vector<std::string> lines_;
};

std::string HexBytes(const uint8_t* bytes, size_t n);  // upper case, no spaces; "-" when empty
