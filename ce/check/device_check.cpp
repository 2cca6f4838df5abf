// Reads the device's executable and the objects it was linked from, and fails
// unless the file is what a Windows CE 4.x loader on x86 takes:
//   - PE32 for machine i386, Subsystem 9 (Windows CE GUI), subsystem version
//     4.x, image base 0x10000, relocations kept;
//   - imports by name from COREDLL.dll and COMMCTRL.dll only, each name one
//     that the project's export list for that library holds, and each from
//     a component that every image able to run the program has (by the
//     component table): CE's loader refuses a whole program that imports a
//     function its image lacks;
//   - DllCharacteristics 0 and a stack reserve of 64 KiB or 1 MiB, as every
//     one of Microsoft's own CE binaries has;
//   - no TLS directory and no C run-time start-up section;
//   - no symbol of the objects with a stdcall "@N" decoration;
//   - every instruction of its code one that a 486's integer unit has: the
//     device's processor may be a 486 without FPU, and no emulator here shows
//     what such a processor would trap on;
//   - no stack frame larger than a page and no stack probe: CE's structured
//     exception handling fails on such frames;
//   - the file within its size budget.
//
//   device_check EXE --objdump PATH --exports DLL=LIST ... --components TABLE
//                [--objects FILE] [--budget BYTES]
//
// PATH is the toolchain's objdump, which disassembles the code. LIST holds one
// exported name per line ('#' starts a comment); TABLE is the component table
// (platform/wince/coredll-components.txt); FILE names one object file per
// line. Prints what it found, then "device check: ok" or the failures,
// and exits 0 or 1.
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
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize, characteristics;
};

// File offset of a relative virtual address, or 0 when no section holds it.
size_t OffsetOf(const std::vector<Section>& sections, uint32_t rva) {
    for (const Section& s : sections) {
        uint32_t size = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva < s.virtualAddress + size) return s.rawOffset + (rva - s.virtualAddress);
    }
    return 0;
}

// The 486's integer instructions as objdump names them in AT&T syntax, each
// with or without a size suffix (b, w, l): the 386's, then the 486's own six.
// What is not here is refused: CMOV, multi-byte NOP, x87, MMX, SSE, CPUID...
const std::set<std::string> k486 = [] {
    std::set<std::string> s = {
        "aaa", "aad", "aam", "aas", "adc", "add", "and", "arpl", "bound", "bsf", "bsr", "bt", "btc", "btr",
        "bts", "call", "lcall", "cbtw", "cwtl", "cwtd", "cltd", "clc", "cld", "cli", "clts", "cmc", "cmp",
        "cmps", "daa", "das", "dec", "div", "enter", "hlt", "idiv", "imul", "in", "inc", "ins", "int", "int3",
        "into", "iret", "jmp", "ljmp", "jcxz", "jecxz", "lahf", "sahf", "lar", "lds", "les", "lfs", "lgs",
        "lss", "lea", "leave", "lgdt", "lidt", "lldt", "lmsw", "lsl", "ltr", "lods", "loop", "loope",
        "loopne", "loopz", "loopnz", "mov", "movs", "movsbw", "movsbl", "movswl", "movzbw", "movzbl",
        "movzwl", "movsx", "movzx", "mul", "neg", "nop", "not", "or", "out", "outs", "pop", "popa", "popf",
        "push", "pusha", "pushf", "rcl", "rcr", "rol", "ror", "sal", "sar", "shl", "shr", "shld", "shrd",
        "sbb", "scas", "sgdt", "sidt", "sldt", "smsw", "stc", "std", "sti", "stos", "str", "sub", "test",
        "verr", "verw", "xchg", "xlat", "xor", "ret", "lret",
        "bswap", "cmpxchg", "xadd", "invd", "wbinvd", "invlpg"};
    for (const char* cc : {"o", "no", "b", "c", "nae", "ae", "nb", "nc", "e", "z", "ne", "nz", "be", "na",
                           "a", "nbe", "s", "ns", "p", "pe", "np", "po", "l", "nge", "ge", "nl", "le", "ng",
                           "g", "nle"}) {
        s.insert(std::string("j") + cc);
        s.insert(std::string("set") + cc);
    }
    return s;
}();

// Prefixes objdump writes as words of their own; the 386 has them all.
const std::set<std::string> kPrefixes = {"rep",    "repz",   "repe",   "repnz", "repne", "lock",
                                         "data16", "data32", "addr16", "addr32", "cs",   "ds",
                                         "es",     "ss",     "fs",     "gs"};

bool On486(const std::string& mnemonic, const std::string& operands) {
    // "nopw"/"nopl" with operands are the i686's multi-byte NOP.
    if (mnemonic == "nop") return operands.empty();
    if (k486.count(mnemonic)) return true;
    if (mnemonic.size() < 2 || !strchr("bwl", mnemonic.back())) return false;
    std::string stem = mnemonic.substr(0, mnemonic.size() - 1);
    return stem != "nop" && k486.count(stem);
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Reads each instruction that objdump finds in [start, end) of the executable:
// refuses any the 486 lacks, any stack frame over a page, and stack probes.
void CheckCode(const std::string& objdump, const std::string& exe, const std::string& section, uint32_t start,
               uint32_t end) {
    std::string command = Quote(objdump) + " -d -w -z --start-address=" + Hex(start) +
                          " --stop-address=" + Hex(end) + " " + Quote(exe);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        Fail("cannot run " + objdump);
        return;
    }
    const uint32_t kPage = 4096;
    uint32_t next = start, count = 0, refusals = 0;
    std::map<std::string, uint32_t> refused;
    // The stack: bytes pushed or subtracted since the last jump, call or return
    // (a function's prologue is one such run), the largest such run, and the
    // last constant moved into each register (a probed frame's size is one).
    uint32_t run = 0, largest = 0, largestAt = 0;
    std::map<std::string, std::pair<uint32_t, uint32_t>> constants;  // register: value, instruction number
    auto grow = [&](uint32_t bytes, uint32_t at) {
        run += bytes;
        if (run > largest) largest = run, largestAt = at;
        if (run > kPage && run - bytes <= kPage)
            Fail(section + ": a stack frame of " + std::to_string(run) + " bytes at " + Hex(at) + ", over a page");
    };
    auto shrink = [&](uint32_t bytes) { run -= std::min(run, bytes); };

    std::string line;
    for (int c; (c = fgetc(pipe)) != EOF || !line.empty();) {
        if (c != '\n' && c != EOF) {
            line += (char)c;
            continue;
        }
        std::string text = line;
        line.clear();
        // "  address:\tbytes\tinstruction"; headers and labels have no ":\t".
        size_t colon = text.find(":\t");
        if (colon == std::string::npos) continue;
        char* stop;
        uint32_t at = (uint32_t)strtoul(text.c_str(), &stop, 16);
        if (stop != text.c_str() + colon) continue;
        size_t tab = text.find('\t', colon + 2);
        std::string bytes = text.substr(colon + 2, tab == std::string::npos ? std::string::npos : tab - colon - 2);
        bytes.erase(bytes.find_last_not_of(' ') + 1);
        std::string instruction = tab == std::string::npos ? "" : text.substr(tab + 1);
        if (at != next) {
            Fail(section + ": the disassembly skips or repeats bytes at " + Hex(at));
            break;
        }
        next += (uint32_t)(bytes.size() + 1) / 3;
        if (instruction.empty()) continue;  // more bytes of the instruction above
        ++count;

        std::istringstream words(instruction);
        std::vector<std::string> prefixes;
        std::string mnemonic, operands, word;
        while (words >> word && word[0] != '<' && word[0] != '#') {
            if (mnemonic.empty() && kPrefixes.count(word)) prefixes.push_back(word);
            else if (mnemonic.empty()) mnemonic = word;
            else operands += (operands.empty() ? "" : " ") + word;
        }
        // Branch hints ("jne,pt") are segment prefixes the 486 ignores.
        size_t hint = mnemonic.find(",p");
        if (hint != std::string::npos) mnemonic.erase(hint);
        std::string shown;
        for (const std::string& p : prefixes) shown += p + " ";
        shown += mnemonic.empty() ? "(a prefix alone)" : mnemonic + (operands.empty() ? "" : " " + operands);
        if (!On486(mnemonic, operands)) {
            ++refusals;
            ++refused[mnemonic.empty() ? shown : mnemonic];
            if (refusals <= 20)
                Fail(section + " at " + Hex(at) + " (" + bytes + "): " + shown + ", which the 486 lacks");
            continue;
        }

        bool locked = std::find(prefixes.begin(), prefixes.end(), "lock") != prefixes.end();
        std::string source = operands.substr(0, operands.find(','));
        bool toEsp = operands.size() > 5 && operands.substr(operands.size() - 5) == ",%esp";
        uint32_t value = source[0] == '$' ? (uint32_t)strtoul(source.c_str() + 1, nullptr, 16) : 0;
        if (StartsWith(mnemonic, "push")) {
            grow(mnemonic == "pushw" ? 2 : StartsWith(mnemonic, "pusha") ? 32 : 4, at);
        } else if (StartsWith(mnemonic, "pop")) {
            shrink(4);
        } else if (StartsWith(mnemonic, "enter")) {
            grow(4 + value, at);
        } else if (toEsp && StartsWith(mnemonic, "sub") && source[0] == '$') {
            grow(value, at);
        } else if (toEsp && StartsWith(mnemonic, "add") && source[0] == '$') {
            if (value >= 0x80000000u) grow(0u - value, at);
            else shrink(value);
        } else if (toEsp && StartsWith(mnemonic, "sub") && source[0] == '%') {
            auto known = constants.find(source);
            if (known != constants.end() && count - known->second.second <= 8)
                grow(known->second.first, at);
            else
                Fail(section + ": a stack frame of a size known only at run time at " + Hex(at) + " (" + shown + ")");
        } else if (StartsWith(mnemonic, "or") && StartsWith(operands, "$0x0,(") && !locked) {
            Fail(section + ": a stack probe at " + Hex(at) + " (" + shown + ")");
        }
        // A register written is no longer the constant it held.
        std::string written = operands.substr(operands.rfind(',') + 1);
        if (StartsWith(mnemonic, "mov") && source[0] == '$' && StartsWith(written, "%e"))
            constants[written] = {value, count};
        else
            constants.erase(written);
        if (mnemonic[0] == 'j' || StartsWith(mnemonic, "call") || StartsWith(mnemonic, "lcall") ||
            StartsWith(mnemonic, "ret") || StartsWith(mnemonic, "lret") || StartsWith(mnemonic, "iret") ||
            StartsWith(mnemonic, "loop") || StartsWith(mnemonic, "leave"))
            run = 0;
    }
    if (pclose(pipe) != 0) Fail(objdump + " failed on " + exe);
    if (next != end) Fail(section + ": the disassembly ends at " + Hex(next) + ", not at " + Hex(end));

    std::string list;
    for (const auto& r : refused) list += (list.empty() ? "" : ", ") + r.first + " " + std::to_string(r.second);
    std::string lacks = "the 486 lacks " + std::to_string(refusals) + " of them: " + list;
    printf("%s: %u instructions read, %s\n", section.c_str(), count,
           refusals ? lacks.c_str() : "all of the 486's integer set");
    if (refusals) Fail(section + ": " + std::to_string(count) + " instructions read, " + lacks);
    printf("%s: largest stack frame %u bytes (at %s)\n", section.c_str(), largest, Hex(largestAt).c_str());
}

// The linker ends .text with two lists, of constructors and of destructors,
// each -1, addresses in .text, then 0: data, not code. Returns the offset in
// .text where the first begins, or 0 when .text does not end so.
uint32_t ConstructorLists(Image& img, const Section& text, uint32_t imageBase) {
    uint32_t low = imageBase + text.virtualAddress, high = low + text.virtualSize;
    uint32_t at = text.virtualSize;
    if (at > text.rawSize) return 0;
    for (int list = 0; list < 2; ++list) {
        if (at < 8 || img.U32(text.rawOffset + (at -= 4)) != 0) return 0;
        uint32_t entry = 0;
        while (at >= 4 && (entry = img.U32(text.rawOffset + (at -= 4))) != 0xFFFFFFFFu)
            if (entry < low || entry >= high) return 0;
        if (entry != 0xFFFFFFFFu) return 0;
    }
    return at;
}

// The component table: what an image able to run the program surely has,
// and where each function lies.
struct Components {
    std::set<std::string> surely;                 // required alone
    std::vector<std::set<std::string>> eitherOf;  // required as alternatives
    std::map<std::string, std::string> of;        // "dll name" (lower case dll): its components
};

std::vector<std::string> Split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(s);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
}

Components ReadComponents(const std::string& path) {
    Components c;
    for (const std::string& line : ReadLines(path)) {
        std::istringstream words(line);
        std::string first, second, third;
        words >> first >> second >> third;
        if (first == "required") {
            std::vector<std::string> either = Split(second, '|');
            if (either.size() == 1) c.surely.insert(second);
            else c.eitherOf.push_back(std::set<std::string>(either.begin(), either.end()));
        } else if (!third.empty()) {
            c.of[Lower(first) + " " + second] = third;
        }
    }
    return c;
}

// Whether every image with the required components exports a function that
// lies in COMPONENTS: one of its alternatives needs only components that are
// surely there, or its alternatives cover all of a required either-of.
bool SurelyThere(const Components& c, const std::string& components) {
    std::set<std::string> singles;
    for (const std::string& alternative : Split(components, '|')) {
        std::vector<std::string> all = Split(alternative, '+');
        if (std::all_of(all.begin(), all.end(), [&](const std::string& x) { return c.surely.count(x) > 0; }))
            return true;
        if (all.size() == 1) singles.insert(all[0]);
    }
    for (const std::set<std::string>& either : c.eitherOf)
        if (std::includes(singles.begin(), singles.end(), either.begin(), either.end())) return true;
    return false;
}

void CheckImage(const std::string& path, const std::map<std::string, std::set<std::string>>& exports,
                const Components& components, uint64_t budget, const std::string& objdump) {
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
    uint16_t dllCharacteristics = img.U16(opt + 70);
    uint32_t stackReserve = img.U32(opt + 72);
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
    printf("DllCharacteristics %s, stack reserve %s\n", Hex(dllCharacteristics).c_str(), Hex(stackReserve).c_str());
    if (dllCharacteristics != 0)
        Fail("DllCharacteristics " + Hex(dllCharacteristics) + ", not 0 (a later CE's loader acts on NX compatibility)");
    if (stackReserve != 0x10000 && stackReserve != 0x100000)
        Fail("a stack reserve of " + Hex(stackReserve) + ", neither 64 KiB nor 1 MiB (CE 4.x takes at most 1 MiB)");

    std::vector<Section> sections;
    uint32_t table = opt + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        uint32_t at = table + 40 * i;
        Section s{img.String(at, 8), img.U32(at + 12), img.U32(at + 8), img.U32(at + 20), img.U32(at + 16),
                  img.U32(at + 36)};
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
            if (allowed == exports.end()) continue;
            if (!allowed->second.count(name)) Fail(dll + ": " + name + " is not in the project's export list of " + dll);
            auto lies = components.of.find(Lower(dll) + " " + name);
            if (lies == components.of.end())
                Fail(dll + ": " + name + " is not in the component table");
            else if (!SurelyThere(components, lies->second))
                Fail(dll + ": " + name + " is imported, but it lies in " + lies->second +
                     ", which an image may lack: look it up at run time");
        }
        printf("imports from %s (each from a component every image has, or see below):", dll.c_str());
        for (const std::string& n : names) printf(" %s", n.c_str());
        printf("\n");
    }
    if (!img.ok) Fail("the file ends inside its own headers or tables");

    for (const Section& s : sections) {
        if (!(s.characteristics & 0x20000000)) continue;  // not executable
        uint32_t start = imageBase + s.virtualAddress, end = start + s.virtualSize;
        if (s.name == ".text") {
            uint32_t lists = ConstructorLists(img, s, imageBase);
            if (!lists) {
                Fail(".text does not end with the linker's constructor lists, so where its code ends is unknown");
                continue;
            }
            end = start + lists;
            printf("%s: code %s-%s, then the constructor lists (data, not read)\n", s.name.c_str(),
                   Hex(start).c_str(), Hex(end).c_str());
        }
        CheckCode(objdump, path, s.name, start, end);
    }
}

// What the compiler calls for a frame of a page or more, or for alloca.
const std::set<std::string> kStackProbes = {"___chkstk_ms", "___chkstk", "__chkstk", "__alloca"};

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
        if (kStackProbes.count(name)) Fail(path + ": refers to " + name + ", a stack probe");
        i += at + 17 < bytes.size() ? bytes[at + 17] : 0;  // auxiliary records
    }
    if (!img.ok) Fail(path + ": the file ends inside its symbol table");
}

}  // namespace

int main(int argc, char** argv) {
    std::string exe, objects, objdump, componentTable;
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
        } else if (a == "--components" && i + 1 < argc) {
            componentTable = argv[++i];
        } else if (a == "--objdump" && i + 1 < argc) {
            objdump = argv[++i];
        } else if (a == "--objects" && i + 1 < argc) {
            objects = argv[++i];
        } else if (a == "--budget" && i + 1 < argc) {
            budget = std::stoull(argv[++i]);
        } else if (exe.empty()) {
            exe = a;
        } else {
            exe.clear();
            break;
        }
    }
    if (exe.empty() || exports.empty() || objdump.empty() || componentTable.empty())
        return fprintf(stderr, "usage: device_check EXE --objdump PATH --exports DLL=LIST ... --components TABLE "
                               "[--objects FILE] [--budget BYTES]\n"), 2;
    Components components = ReadComponents(componentTable);
    if (components.of.empty() || components.surely.empty())
        return fprintf(stderr, "no components in %s\n", componentTable.c_str()), 2;
    CheckImage(exe, exports, components, budget, objdump);
    if (!objects.empty()) {
        std::vector<std::string> files = ReadLines(objects);
        for (const std::string& f : files) CheckObject(f);
        printf("objects: %zu, none with a stdcall decoration or a stack probe%s\n", files.size(),
               std::any_of(g_failures.begin(), g_failures.end(),
                           [](const std::string& f) {
                               return f.find("stdcall") != std::string::npos ||
                                      f.find("refers to ") != std::string::npos;
                           })
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
