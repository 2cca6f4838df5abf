// Decodes a Windows CE installation data file (.000) by the public description
// of its layout, sharing nothing with the writer (ship/ce_cab.cpp), and fails
// unless every count, offset and length in it is true:
//   - the signature is "MSCE" and the length field is the file's length;
//   - after the 100-byte header, the APPNAME and PROVIDER strings and the
//     STRINGS, DIRS, FILES, REGHIVES, REGKEYS and LINKS sections lie end to
//     end in that order, so every offset is where the part before it ends,
//     every count of entries ends where the next part starts, and the last
//     ends with the file;
//   - no id of a section is 0 or taken twice;
//   - every string's length is its text and one NUL; every folder's length is
//     its string ids and the 0 that ends them, and each id names a string;
//   - a shortcut's name is one string id with no 0 after it (its length 2),
//     the shortcut's file name, ending in ".lnk": so CE's own cabinet wizard
//     writes them, whatever the public description says of a 0;
//   - every file is in a folder of DIRS; every shortcut is to a file of FILES,
//     in a standard folder (base n, %CEn%, and no folder of DIRS) or in the
//     folder of DIRS that it names (base 0).
// Prints what it decoded, one field a line, with the standard folders (%CEn%)
// spelled out, and exits 0; or says what is wrong and exits 1. With --layout it
// first prints where each part starts.
//
//   read_000 [--layout] FILE.000
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> b;

[[noreturn]] void Bad(const std::string& why) {
    printf("read_000: %s\n", why.c_str());
    exit(1);
}

uint32_t U(size_t at, int size) {
    if (at + size > b.size()) Bad("a field at " + std::to_string(at) + " runs past the end");
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

std::string Text(size_t at, size_t length, const std::string& what) {
    if (length == 0 || at + length > b.size()) Bad(what + " runs past the end");
    std::string s(b.begin() + at, b.begin() + at + length - 1);
    if (b[at + length - 1] != 0 || s.find('\0') != std::string::npos) Bad(what + ": its length is not its text and one NUL");
    return s;
}

// The standard folders of a Windows CE device that is no Pocket PC.
const char* const kStandard[] = {
    "%InstallDir%", "\\Program Files", "\\Windows", "\\Windows\\Desktop", "\\Windows\\StartUp", "\\My Documents",
    "\\Program Files\\Accessories", "\\Program Files\\Communications", "\\Program Files\\Games",
    "\\Program Files\\Pocket Outlook", "\\Program Files\\Office", "\\Windows\\Programs",
    "\\Windows\\Programs\\Accessories", "\\Windows\\Programs\\Communications", "\\Windows\\Programs\\Games",
    "\\Windows\\Fonts", "\\Windows\\Recent", "\\Windows\\Favorites"};

std::string Standard(unsigned n) {
    if (n > 17) Bad("there is no %CE" + std::to_string(n) + "%");
    return kStandard[n];
}

std::map<unsigned, std::string> strings, dirs, files;
std::string decoded;  // printed once the whole file has been read

// A folder's ids end in one 0; a shortcut's name is one id and no 0.
std::string Ids(size_t at, unsigned length, bool folder, const std::string& what) {
    if (length < 2 || length % 2) Bad(what + ": a length of " + std::to_string(length) + " is no whole number of ids");
    if (!folder && length != 2)
        Bad(what + ": a shortcut's name is one string id, not " + std::to_string(length) + " bytes" +
            (U(at + length - 2, 2) == 0 ? " ending in a 0" : ""));
    std::string path;
    for (unsigned i = 0; i < length; i += 2) {
        unsigned id = U(at + i, 2);
        if (folder && (id == 0) != (i + 2 == length)) Bad(what + ": its ids do not end in one 0 where its length ends");
        if (id == 0) break;
        if (!strings.count(id)) Bad(what + ": no string " + std::to_string(id));
        std::string part = strings[id];
        unsigned n;
        char end;
        if (i == 0 && sscanf(part.c_str(), "%%CE%u%c", &n, &end) == 2 && end == '%') part = Standard(n);
        path += (i ? "\\" : "") + part;
    }
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    bool layout = argc == 3 && std::string(argv[1]) == "--layout";
    if (argc != 2 + layout) Bad("usage: read_000 [--layout] FILE.000");
    std::ifstream in(argv[1 + layout], std::ios::binary);
    b.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());

    if (U(0, 4) != 0x4543534D) Bad("the signature is not MSCE");
    if (U(8, 4) != b.size()) Bad("the length field says " + std::to_string(U(8, 4)) + ", the file has " + std::to_string(b.size()));
    const char* names[] = {"STRINGS", "DIRS", "FILES", "REGHIVES", "REGKEYS", "LINKS"};
    unsigned count[6], offset[6];
    for (int i = 0; i < 6; ++i) count[i] = U(48 + 2 * i, 2), offset[i] = U(60 + 4 * i, 4);

    if (layout) printf("length %zu\n", b.size());
    size_t at = 100;
    auto starts = [&](const std::string& part, size_t offset) {
        if (offset != at) Bad(part + " starts at " + std::to_string(offset) + ", not where the part before it ends, " + std::to_string(at));
        if (layout) printf("at %zu %s\n", offset, part.c_str());
    };
    std::set<unsigned> ids[6];
    std::string text[3];
    const char* headed[] = {"APPNAME", "PROVIDER", "UNSUPPORTED"};
    for (int i = 0; i < 3; ++i) {
        unsigned off = U(84 + 4 * i, 2), length = U(86 + 4 * i, 2);
        if (i == 2 && length == 0 && off == 0) continue;  // none
        starts(headed[i], off);
        // UNSUPPORTED is a list of names, each ending in a NUL, and an empty one.
        text[i] = i < 2 ? Text(at, length, headed[i]) : std::to_string(length) + " bytes";
        at += length;
    }
    for (int s = 0; s < 6; ++s) {
        starts(names[s], offset[s]);
        for (unsigned e = 0; e < count[s]; ++e) {
            std::string what = std::string(names[s]) + " entry " + std::to_string(e + 1);
            unsigned id = U(at, 2), length;
            if (id == 0 || !ids[s].insert(id).second) Bad(what + ": its id " + std::to_string(id) + " is 0 or taken");
            switch (s) {
            case 0:
                length = U(at + 2, 2);
                strings[id] = Text(at + 4, length, what);
                at += 4 + length;
                break;
            case 1:
                length = U(at + 2, 2);
                dirs[id] = Ids(at + 4, length, true, what);
                at += 4 + length;
                break;
            case 2: {
                unsigned dir = U(at + 2, 2), flags = U(at + 6, 4);
                length = U(at + 10, 2);
                if (!dirs.count(dir)) Bad(what + ": no folder " + std::to_string(dir));
                files[id] = dirs[dir] + "\\" + Text(at + 12, length, what);
                char line[64];
                snprintf(line, sizeof line, ", third field %u, flags 0x%08X\n", U(at + 4, 2), flags);
                decoded += "file " + std::to_string(id) + " " + files[id] + line;
                at += 12 + length;
                break;
            }
            case 3: at += 8 + U(at + 6, 2); break;   // registry entries are not decoded,
            case 4: at += 12 + U(at + 10, 2); break; // but their lengths must hold
            case 5: {
                unsigned dir = U(at + 2, 2), base = U(at + 4, 2), target = U(at + 6, 2), type = U(at + 8, 2);
                length = U(at + 10, 2);
                if (base == 0 && !dirs.count(dir)) Bad(what + ": base 0 and no folder " + std::to_string(dir) + " of DIRS");
                if (base != 0 && dir != 0) Bad(what + ": both %CE" + std::to_string(base) + "% and folder " + std::to_string(dir));
                std::string name = Ids(at + 12, length, false, what);
                if (name.size() < 4 || name.compare(name.size() - 4, 4, ".lnk") != 0)
                    Bad(what + ": the shortcut's name \"" + name + "\" does not end in .lnk");
                if (type != 1 || !files.count(target)) Bad(what + ": not a shortcut to a file of FILES");
                decoded += "link " + std::to_string(id) + " " + (base ? Standard(base) : dirs[dir]) + "\\" + name +
                           " -> file " + std::to_string(target) + " " + files[target] + "\n";
                at += 12 + length;
            }
            }
        }
    }
    if (at != b.size()) Bad("the LINKS section ends at " + std::to_string(at) + ", the file at " + std::to_string(b.size()));

    printf("signature MSCE\n");
    printf("appname \"%s\"\nprovider \"%s\"\n", text[0].c_str(), text[1].c_str());
    printf("unsupported %s\n", text[2].empty() ? "none" : text[2].c_str());
    printf("architecture %u\n", U(20, 4));
    printf("versions %u.%u to %u.%u, builds %u to %u\n", U(24, 4), U(28, 4), U(32, 4), U(36, 4), U(40, 4), U(44, 4));
    printf("unknown fields at 4, 12, 16, 96, 98: %u %u %u %u %u\n", U(4, 4), U(12, 4), U(16, 4), U(96, 2), U(98, 2));
    printf("counts");
    for (int i = 1; i < 6; ++i) printf(" %s %u", names[i], count[i]);  // the strings' count is their ids' affair
    printf("\n");
    for (auto& [id, path] : dirs) printf("dir %u %s\n", id, path.c_str());
    printf("%s", decoded.c_str());
    return 0;
}
