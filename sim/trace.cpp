#include "sim/trace.h"

Trace::~Trace() {
    if (file_) fclose(file_);
}

bool Trace::OpenFile(const char* path) {
    file_ = fopen(path, "wb");  // plain LF line ends on every platform
    return file_ != nullptr;
}

void Trace::Line(uint64_t ms, const std::string& event) {
    std::string line = std::to_string(ms) + " " + event;
    if (file_) {
        fputs(line.c_str(), file_);
        fputc('\n', file_);
        fflush(file_);
    }
    if (keep_) lines_.push_back(line);
}

std::string HexBytes(const uint8_t* bytes, size_t n) {
    if (n == 0) return "-";
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += kDigits[bytes[i] >> 4];
        s += kDigits[bytes[i] & 0xF];
    }
    return s;
}
