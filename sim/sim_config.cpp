#include "sim/sim_config.h"

#include <stdlib.h>
#include <string.h>

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool ParseNumber(const std::string& s, uint32_t* value) {
    if (s.empty()) return false;
    char* end = nullptr;
    unsigned long v = strtoul(s.c_str(), &end, 10);
    if (*end != 0 || v > 0xFFFFFFFFul) return false;
    *value = (uint32_t)v;
    return true;
}

bool ParseFlag(const std::string& s, bool* flag) {
    if (s != "0" && s != "1") return false;
    *flag = s == "1";
    return true;
}

bool ParseCodes(const std::string& s, std::vector<uint32_t>* codes) {
    for (const std::string& part : Split(s, ';')) {
        uint32_t code;
        if (!ParseNumber(part, &code)) return false;
        codes->push_back(code);
    }
    return true;
}

bool ParseRecords(const std::string& s, std::vector<RecordValue>* records) {
    for (const std::string& part : Split(s, ';')) {
        if (part.size() != 7 || part[2] != ':') return false;
        RecordValue r;
        memcpy(r.address, part.data(), 2);
        memcpy(r.chars, part.data() + 3, 4);
        records->push_back(r);
    }
    return true;
}

bool ParseCounts(const std::string& s, std::vector<CountOverride>* counts) {
    for (const std::string& part : Split(s, ';')) {
        size_t colon = part.find(':');
        CountOverride c;
        if (colon == std::string::npos || !ParseNumber(part.substr(0, colon), &c.code) ||
            !ParseNumber(part.substr(colon + 1), &c.count))
            return false;
        counts->push_back(c);
    }
    return true;
}

bool ParseByte(const std::string& s, uint8_t* byte) {
    uint32_t v;
    if (!ParseNumber(s, &v) || v > 255) return false;
    *byte = (uint8_t)v;
    return true;
}

bool ParseSize(const std::string& s, int* w, int* h) {
    size_t x = s.find('x');
    uint32_t a, b;
    if (x == std::string::npos || !ParseNumber(s.substr(0, x), &a) || !ParseNumber(s.substr(x + 1), &b) ||
        a == 0 || b == 0 || a > 8192 || b > 8192)
        return false;
    *w = (int)a;
    *h = (int)b;
    return true;
}

// swap;mirrorx;mirrory;bits:N;bow:N, any of them, in any order.
bool ParsePanel(const std::string& s, PanelShape* shape) {
    PanelShape p;
    for (const std::string& item : Split(s, ';')) {
        uint32_t n;
        if (item == "swap") p.swap = true;
        else if (item == "mirrorx") p.mirrorX = true;
        else if (item == "mirrory") p.mirrorY = true;
        else if (item.compare(0, 5, "bits:") == 0 && ParseNumber(item.substr(5), &n) && n >= 12 && n <= 16) p.bits = (int)n;
        else if (item.compare(0, 4, "bow:") == 0 && ParseNumber(item.substr(4), &n) && n <= 10) p.bowPercent = (int)n;
        else return false;
    }
    *shape = p;
    return true;
}

bool Apply(const std::string& key, const std::string& value, SimConfig* c) {
    if (key == "driver") {
        if (value != "absent" && value != "present") return false;
        c->driverAbsent = value == "absent";
        return true;
    }
    if (key == "rotation") return ParseByte(value, &c->rotation);
    if (key == "touchmode") return ParseByte(value, &c->touchMode);
    if (key == "disabled") {
        bool b;
        if (!ParseFlag(value, &b)) return false;
        c->disabled = b ? 1 : 0;
        return true;
    }
    if (key == "fail") return ParseCodes(value, &c->failRequests);
    if (key == "nobyte") return ParseCodes(value, &c->noByteRequests);
    if (key == "count") return ParseCounts(value, &c->countOverrides);
    if (key == "nocount") return ParseCodes(value, &c->noCountRequests);
    if (key == "pending") {
        c->reportPending = true;
        return ParseNumber(value, &c->pending);
    }
    if (key == "nosample") return ParseFlag(value, &c->noSample);
    if (key == "nocomplete") return ParseFlag(value, &c->noComplete);
    if (key == "records") return ParseRecords(value, &c->records);
    if (key == "latency") return ParseNumber(value, &c->latencyMs);
    if (key == "silent") return ParseFlag(value, &c->silent);
    if (key == "garbage") return ParseFlag(value, &c->garbage);
    if (key == "reply") {
        c->reply.clear();
        if (value.empty() || value.size() % 2) return false;
        for (size_t i = 0; i < value.size(); i += 2) {
            char* end = nullptr;
            std::string pair = value.substr(i, 2);
            unsigned long b = strtoul(pair.c_str(), &end, 16);
            if (*end != 0) return false;
            c->reply.push_back((uint8_t)b);
        }
        return true;
    }
    if (key == "ackonly") return ParseFlag(value, &c->ackOnly);
    if (key == "echo") return ParseFlag(value, &c->echo);
    if (key == "overflow") {
        // 1 is a burst of 300 bytes; a larger number is the burst's exact size.
        if (!ParseNumber(value, &c->overflowBytes)) return false;
        if (c->overflowBytes == 1) c->overflowBytes = 300;
        return true;
    }
    if (key == "drop") {
        size_t colon = value.rfind(':');
        if (colon == std::string::npos || colon == 0) return false;
        c->dropPrefix = value.substr(0, colon);
        return ParseNumber(value.substr(colon + 1), &c->dropNth) && c->dropNth > 0;
    }
    if (key == "keyboard") {
        const struct {
            const char* name;
            uint32_t status;
        } keyboards[] = {{"full", kFullKeyboard},
                         {"none", 0},
                         {"keypad", kKeyboardPresent | kKeyboardEnabled | kKeyboardEnterEsc}};
        for (const auto& k : keyboards) {
            if (value != k.name) continue;
            c->keyboardStatus = k.status;
            return true;
        }
        return false;
    }
    if (key == "screen") return ParseSize(value, &c->screenWidth, &c->screenHeight);
    if (key == "panel") return ParsePanel(value, &c->panel);
    return false;
}

}  // namespace

bool ParseSimConfig(const char* text, SimConfig* config, std::string* error) {
    if (!text || !*text) return true;
    for (const std::string& item : Split(text, ',')) {
        if (item.empty()) continue;
        size_t eq = item.find('=');
        bool ok = eq != std::string::npos && Apply(item.substr(0, eq), item.substr(eq + 1), config);
        if (!ok) {
            if (error) *error = "bad TOUCHPANEL_SIM item: " + item;
            return false;
        }
    }
    return true;
}
