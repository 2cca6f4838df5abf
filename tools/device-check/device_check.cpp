// Reads the device's executable and the objects it was linked from, and fails
// unless the file is what a Windows CE 4.x loader on x86 takes:
//   - PE32 for machine i386, Subsystem 9 (Windows CE GUI), subsystem version
//     4.x, image base 0x10000, relocations kept;
//   - imports by name from COREDLL.dll and COMMCTRL.dll only, each name one
//     that the project's export list for that library holds;
//   - no TLS directory and no C run-time start-up section;
//   - no symbol of the objects with a stdcall "@N" decoration;
//   - the file within its size budget.
//
//   device_check EXE --exports DLL=LIST ... [--objects FILE] [--budget BYTES]
//
// LIST holds one exported name per line ('#' starts a comment); FILE names one
// object file per line. Prints what it found, then "device check: ok" or the
// failures, and exits 0 or 1.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_failures;

void Fail(const std::string& why) { g_failures.push_back(why); }

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        size_t first = line.find_first_not_of(" \t\r"), last = line.find_last_not_of(" \t\r");
        if (first != std::string::npos) lines.push_back(line.substr(first, last - first + 1));
    }
    return lines;
}

std::string Lower(std::string s) {
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

std::string Hex(uint32_t v) {
    char s[16];
    snprintf(s, sizeof s, "0x%X", v);
    return s;
}

// Bounds-checked little-endian reads: a short or damaged file is a failure, not a crash.
struct Image {
    const std::vector<uint8_t>& bytes;
    bool ok = true;
    uint32_t U32(size_t at) {
        if (at + 4 > bytes.size()) return Short();
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | (uint32_t)bytes[at + 3] << 24;
    }
    uint16_t U16(size_t at) {
        if (at + 2 > bytes.size()) return (uint16_t)Short();
        return (uint16_t)(bytes[at] | bytes[at + 1] << 8);
    }
    std::string String(size_t at, size_t max = 256) {
        std::string s;
        while (at < bytes.size() && bytes[at] && s.size() < max) s += (char)bytes[at++];
        return s;
    }
    uint32_t Short() {
        ok = false;
        return 0;
    }
};

struct Section {
    std::string name;
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

// File offset of a relative virtual address, or 0 when no section holds it.
size_t OffsetOf(const std::vector<Section>& sections, uint32_t rva) {
    for (const Section& s : sections) {
        uint32_t size = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva < s.virtualAddress + size) return s.rawOffset + (rva - s.virtualAddress);
    }
    return 0;
}

void CheckImage(const std::string& path, const std::map<std::string, std::set<std::string>>& exports,
                uint64_t budget) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    Image img{bytes};
    printf("file: %s, %zu bytes (%zu KiB)\n", path.c_str(), bytes.size(), (bytes.size() + 1023) / 1024);
    if (budget && bytes.size() > budget) Fail("the file is " + std::to_string(bytes.size()) + " bytes, over its budget of " + std::to_string(budget));
    if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z') {
        Fail("not an executable (no MZ header)");
        return;
    }
    uint32_t pe = img.U32(0x3C);
    if (img.U32(pe) != 0x00004550) {
        Fail("no PE signature");
        return;
    }
    uint32_t coff = pe + 4;
    uint16_t machine = img.U16(coff);
    uint16_t sectionCount = img.U16(coff + 2);
    uint16_t optionalSize = img.U16(coff + 16);
    uint16_t characteristics = img.U16(coff + 18);
    uint32_t opt = coff + 20;
    uint16_t magic = img.U16(opt);
    uint32_t imageBase = img.U32(opt + 28);
    uint16_t subsystemMajor = img.U16(opt + 48), subsystemMinor = img.U16(opt + 50);
    uint16_t subsystem = img.U16(opt + 68);
    uint32_t directoryCount = img.U32(opt + 92);
    auto directory = [&](uint32_t i, uint32_t* rva, uint32_t* size) {
        *rva = i < directoryCount ? img.U32(opt + 96 + 8 * i) : 0;
        *size = i < directoryCount ? img.U32(opt + 100 + 8 * i) : 0;
    };
    printf("machine %s, PE%s, subsystem %u version %u.%u, image base %s\n", Hex(machine).c_str(),
           magic == 0x10B ? "32" : magic == 0x20B ? "32+" : "?", subsystem, subsystemMajor, subsystemMinor,
           Hex(imageBase).c_str());
    if (machine != 0x14C) Fail("machine " + Hex(machine) + ", not i386 (0x14C)");
    if (magic != 0x10B) {
        Fail("not PE32 (optional header magic " + Hex(magic) + ")");
        return;
    }
    if (subsystem != 9) Fail("subsystem " + std::to_string(subsystem) + ", not 9 (Windows CE GUI)");
    if (subsystemMajor != 4) Fail("subsystem version " + std::to_string(subsystemMajor) + ", not 4.x");
    if (imageBase != 0x10000) Fail("image base " + Hex(imageBase) + ", not 0x10000");

    std::vector<Section> sections;
    uint32_t table = opt + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        uint32_t at = table + 40 * i;
        Section s{img.String(at, 8), img.U32(at + 12), img.U32(at + 8), img.U32(at + 20), img.U32(at + 16)};
        sections.push_back(s);
        if (s.name == ".tls" || s.name == ".CRT") Fail("a " + s.name + " section: C run-time start-up or TLS");
    }

    uint32_t rva, size;
    directory(5, &rva, &size);
    if ((characteristics & 0x0001) || size == 0) Fail("relocations are stripped");
    directory(9, &rva, &size);
    if (rva || size) Fail("a TLS directory");

    directory(1, &rva, &size);
    size_t descriptor = OffsetOf(sections, rva);
    if (!rva || !descriptor) {
        Fail("no import directory");
        return;
    }
    std::set<std::string> seen;
    for (;; descriptor += 20) {
        uint32_t lookup = img.U32(descriptor), nameRva = img.U32(descriptor + 12), thunks = img.U32(descriptor + 16);
        if (!img.ok || (!lookup && !nameRva && !thunks)) break;
        std::string dll = img.String(OffsetOf(sections, nameRva));
        seen.insert(Lower(dll));
        auto allowed = exports.find(Lower(dll));
        if (allowed == exports.end()) Fail("imports from " + dll + ", which the device does not have");
        std::vector<std::string> names;
        size_t thunk = OffsetOf(sections, lookup ? lookup : thunks);
        for (int n = 0; thunk && n < 10000; ++n, thunk += 4) {
            uint32_t entry = img.U32(thunk);
            if (!img.ok || !entry) break;
            if (entry & 0x80000000u) {
                Fail(dll + ": ordinal " + std::to_string(entry & 0xFFFF) + " is imported by number, not by name");
                continue;
            }
            std::string name = img.String(OffsetOf(sections, entry) + 2);
            names.push_back(name);
            if (allowed != exports.end() && !allowed->second.count(name))
                Fail(dll + ": " + name + " is not in the project's export list of " + dll);
        }
        printf("imports from %s:", dll.c_str());
        for (const std::string& n : names) printf(" %s", n.c_str());
        printf("\n");
    }
    if (!img.ok) Fail("the file ends inside its own headers or tables");
}

// COFF objects: every symbol, defined or referred to, by name.
void CheckObject(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    Image img{bytes};
    uint32_t symbols = img.U32(8), count = img.U32(12);
    if (!img.ok || bytes.size() < 20) {
        Fail(path + ": not an object file");
        return;
    }
    size_t strings = symbols + 18 * (size_t)count;
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = symbols + 18 * (size_t)i;
        std::string name;
        if (img.U32(at) == 0) name = img.String(strings + img.U32(at + 4));
        else name = img.String(at, 8);
        size_t atSign = name.rfind('@');
        if (atSign != std::string::npos && atSign + 1 < name.size() &&
            std::all_of(name.begin() + atSign + 1, name.end(), [](unsigned char c) { return std::isdigit(c); }))
            Fail(path + ": symbol " + name + " has a stdcall decoration");
        i += at + 17 < bytes.size() ? bytes[at + 17] : 0;  // auxiliary records
    }
    if (!img.ok) Fail(path + ": the file ends inside its symbol table");
}

}  // namespace

int main(int argc, char** argv) {
    std::string exe, objects;
    std::map<std::string, std::set<std::string>> exports;
    uint64_t budget = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--exports" && i + 1 < argc) {
            std::string option = argv[++i];
            size_t eq = option.find('=');
            if (eq == std::string::npos) return fprintf(stderr, "--exports takes DLL=LIST\n"), 2;
            std::vector<std::string> names = ReadLines(option.substr(eq + 1));
            if (names.empty()) return fprintf(stderr, "no names in %s\n", option.substr(eq + 1).c_str()), 2;
            exports[Lower(option.substr(0, eq))].insert(names.begin(), names.end());
        } else if (a == "--objects" && i + 1 < argc) {
            objects = argv[++i];
        } else if (a == "--budget" && i + 1 < argc) {
            budget = std::stoull(argv[++i]);
        } else if (exe.empty()) {
            exe = a;
        } else {
            return fprintf(stderr, "usage: device_check EXE --exports DLL=LIST ... [--objects FILE] [--budget BYTES]\n"), 2;
        }
    }
    if (exe.empty() || exports.empty()) return fprintf(stderr, "usage: device_check EXE --exports DLL=LIST ...\n"), 2;
    CheckImage(exe, exports, budget);
    if (!objects.empty()) {
        std::vector<std::string> files = ReadLines(objects);
        for (const std::string& f : files) CheckObject(f);
        printf("objects: %zu, none with a stdcall decoration%s\n", files.size(),
               std::any_of(g_failures.begin(), g_failures.end(),
                           [](const std::string& f) { return f.find("stdcall") != std::string::npos; })
                   ? " (but see below)"
                   : "");
    }
    if (g_failures.empty()) {
        printf("device check: ok\n");
        return 0;
    }
    for (const std::string& f : g_failures) printf("FAIL: %s\n", f.c_str());
    return 1;
}
