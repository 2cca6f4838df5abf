// Makes the install cabinet that Windows CE's installer (wceload) unpacks on a
// device: the installation data file (.000), written here from a table of what
// to install (see ship/install-table.txt), and the files the table names, put
// into an uncompressed cabinet by gcab.
//
//   ce_cab TABLE --from DIR --gcab PATH OUT.cab
//
// Inside the cabinet each file has an 8.3 name whose extension is its number:
// the installation data is 000 and comes first, the others follow in
// descending order of their numbers, as the installer expects. A table with a
// mistake (a file DIR lacks, two files with one number, a shortcut to no file)
// is refused before anything is written. Exits 0, or 1 with the reasons.
#include <stdint.h>
#include <stdio.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct File { unsigned number; std::string name, folder; };
struct Link { unsigned file, base; std::string name; };
struct Table {
    std::string app, provider;
    unsigned min_major = 0, min_minor = 0, max_major = 0, max_minor = 0;
    std::vector<File> files;
    std::vector<Link> links;
};

std::vector<std::string> g_mistakes;

std::string Trim(const std::string& s) {
    size_t first = s.find_first_not_of(" \t\r"), last = s.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

std::string Rest(std::istringstream& in) {
    std::string rest;
    std::getline(in, rest);
    return Trim(rest);
}

Table ReadTable(const std::string& path) {
    std::ifstream in(path);
    if (!in) g_mistakes.push_back(path + ": cannot be read");
    Table t;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        std::istringstream words(line);
        std::string key;
        words >> key;
        bool ok = true;
        if (key == "app") t.app = Rest(words);
        else if (key == "provider") t.provider = Rest(words);
        else if (key == "versions")
            ok = sscanf(Rest(words).c_str(), "%u.%u %u.%u", &t.min_major, &t.min_minor, &t.max_major,
                        &t.max_minor) == 4;
        else if (key == "file") {
            File f{};
            ok = bool(words >> f.number >> f.name) && !(f.folder = Rest(words)).empty();
            if (ok) t.files.push_back(f);
        } else if (key == "link") {
            Link l{};
            std::string base;
            ok = bool(words >> l.file >> base) && sscanf(base.c_str(), "%%CE%u%%", &l.base) == 1 &&
                 !(l.name = Rest(words)).empty();
            if (ok) t.links.push_back(l);
        } else ok = false;
        if (!ok) g_mistakes.push_back(path + ":" + std::to_string(n) + ": cannot read \"" + line + "\"");
    }
    return t;
}

void Check(const Table& t, const std::string& from) {
    if (t.app.empty() || t.provider.empty()) g_mistakes.push_back("the table names no app or no provider");
    std::map<unsigned, std::string> numbered;
    for (const File& f : t.files) {
        // 0 is the installation data and 999 a setup library, which this cabinet has not.
        if (f.number < 1 || f.number > 998) g_mistakes.push_back(f.name + ": number " + std::to_string(f.number) + " is not from 1 to 998");
        if (numbered.count(f.number))
            g_mistakes.push_back("two files numbered " + std::to_string(f.number) + ": " + numbered[f.number] + " and " + f.name);
        numbered[f.number] = f.name;
        if (!fs::is_regular_file(fs::path(from) / f.name)) g_mistakes.push_back(f.name + ": no such file in " + from);
    }
    for (const Link& l : t.links) {
        if (!numbered.count(l.file)) g_mistakes.push_back("shortcut \"" + l.name + "\" is to file " + std::to_string(l.file) + ", which the table has not");
        if (l.base < 1 || l.base > 17) g_mistakes.push_back("shortcut \"" + l.name + "\": there is no %CE" + std::to_string(l.base) + "%");
    }
}

// Little-endian, as every field of the installation data is.
struct Bytes {
    std::vector<uint8_t> b;
    void U16(size_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
    void U32(size_t v) { U16(v & 0xFFFF); U16(v >> 16); }
    // Strings and entries lie end to end, unpadded, and a string's length
    // counts its NUL: the public description says so, and a reader that walks
    // entries by their lengths and one that stops at the NUL both read that.
    void Text(const std::string& s) { b.insert(b.end(), s.begin(), s.end()); b.push_back(0); }
    // A list of string ids after its length in bytes. The cabinets CE's own
    // cabinet wizard writes end a folder's list with a 0 that the length
    // counts, and a shortcut's name (one string, its file name) with none.
    void Ids(const std::vector<unsigned>& ids) {
        U16(2 * ids.size());
        for (unsigned id : ids) U16(id);
    }
};

// A shortcut is a file, named as such: the wizard adds ".lnk" to a name
// without it, never twice.
std::string ShortcutFileName(const std::string& name) {
    const std::string lnk = ".lnk";
    bool has = name.size() >= lnk.size() &&
               std::equal(lnk.begin(), lnk.end(), name.end() - lnk.size(), [](char a, char b) { return std::tolower((unsigned char)a) == b; });
    return has ? name : name + lnk;
}

std::vector<uint8_t> InstallationData(const Table& t) {
    std::vector<std::string> strings;  // string ids count from 1
    auto id = [&](const std::string& text) {
        auto s = std::find(strings.begin(), strings.end(), text);
        if (s == strings.end()) s = strings.insert(s, text);
        return unsigned(s - strings.begin() + 1);
    };
    auto path = [&](const std::string& p) {  // a folder: each part's id, then 0
        std::vector<unsigned> ids;
        for (size_t at = 0, end; at <= p.size(); at = end + 1) {
            end = std::min(p.find('\\', at), p.size());
            ids.push_back(id(p.substr(at, end - at)));
        }
        ids.push_back(0);
        return ids;
    };
    std::vector<std::string> folders;
    std::vector<std::vector<unsigned>> folder_ids, link_ids;
    auto folder = [&](const std::string& f) { return size_t(std::find(folders.begin(), folders.end(), f) - folders.begin() + 1); };
    for (const File& f : t.files)
        if (folder(f.folder) > folders.size()) folders.push_back(f.folder), folder_ids.push_back(path(f.folder));
    for (const Link& l : t.links) link_ids.push_back({id(ShortcutFileName(l.name))});

    // What follows the 100-byte header, and where each part of it starts.
    Bytes d;
    size_t at[8], part = 0;
    auto starts = [&] { at[part++] = 100 + d.b.size(); };
    starts(), d.Text(t.app);
    starts(), d.Text(t.provider);
    starts();
    for (size_t i = 0; i < strings.size(); ++i) d.U16(i + 1), d.U16(strings[i].size() + 1), d.Text(strings[i]);
    starts();
    for (size_t i = 0; i < folders.size(); ++i) d.U16(i + 1), d.Ids(folder_ids[i]);
    starts();
    for (const File& f : t.files) {
        d.U16(f.number);
        d.U16(folder(f.folder));
        d.U16(f.number);    // unknown: usually the number again
        d.U32(0x40000002);  // flags: always overwrite (ignore dates), do not skip
        d.U16(f.name.size() + 1);
        d.Text(f.name);
    }
    starts();  // no registry entries (the program keeps no settings): REGHIVES
    starts();  // and REGKEYS are empty, and start where LINKS does
    starts();
    for (size_t i = 0; i < t.links.size(); ++i) {
        d.U16(i + 1);
        d.U16(0);  // a folder of DIRS, had the base been 0
        d.U16(t.links[i].base);  // n of %CEn%, the folder the shortcut goes into
        d.U16(t.links[i].file);
        d.U16(1);  // the target is a file
        d.Ids(link_ids[i]);
    }

    Bytes h;
    h.b = {'M', 'S', 'C', 'E'};
    h.U32(0);  // unknown: usually 0
    h.U32(100 + d.b.size());
    h.U32(0);  // unknown: usually 0
    h.U32(1);  // unknown: usually 1
    h.U32(0);  // architecture: no check, as x86 devices report 386, 486, 586 or 686 as their OEM chose
    for (unsigned v : {t.min_major, t.min_minor, t.max_major, t.max_minor, 0u, 0u}) h.U32(v);  // builds: no limit
    for (size_t n : {strings.size(), folders.size(), t.files.size(), size_t(0), size_t(0), t.links.size()}) h.U16(n);
    for (int i = 2; i < 8; ++i) h.U32(at[i]);
    h.U16(at[0]), h.U16(t.app.size() + 1);
    h.U16(at[1]), h.U16(t.provider.size() + 1);
    h.U16(0), h.U16(0);  // no UNSUPPORTED platforms: offset and length 0
    h.U16(0), h.U16(0);  // unknown: usually 0
    h.b.insert(h.b.end(), d.b.begin(), d.b.end());
    return h.b;
}

// The 8.3 name of a file in the cabinet: eight characters of its own name and its number.
std::string CabinetName(const std::string& name, unsigned number) {
    char ext[8];
    snprintf(ext, sizeof ext, ".%03u", number);
    return fs::path(name).stem().string().substr(0, 8) + ext;
}

int Run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    int status = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string table_path, from, gcab, out;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--from" && i + 1 < argc) from = argv[++i];
        else if (a == "--gcab" && i + 1 < argc) gcab = argv[++i];
        else if (table_path.empty()) table_path = a;
        else out = a;
    }
    if (table_path.empty() || from.empty() || gcab.empty() || out.empty()) {
        fprintf(stderr, "usage: ce_cab TABLE --from DIR --gcab PATH OUT.cab\n");
        return 2;
    }
    Table t = ReadTable(table_path);
    Check(t, from);
    if (!g_mistakes.empty()) {
        for (const std::string& m : g_mistakes) printf("ce_cab: %s\n", m.c_str());
        printf("ce_cab: refused %s, wrote nothing\n", table_path.c_str());
        return 1;
    }

    // Staged under their cabinet names, since gcab stores each file under its own.
    fs::path stage = out + ".files", part = out + ".part";
    fs::remove_all(stage);
    fs::create_directories(stage);
    std::vector<uint8_t> data = InstallationData(t);
    std::vector<std::string> args = {gcab, "-c", "-n", part.string(), (stage / CabinetName(out, 0)).string()};
    std::ofstream(args.back(), std::ios::binary).write((const char*)data.data(), std::streamsize(data.size()));
    std::sort(t.files.begin(), t.files.end(), [](const File& a, const File& b) { return a.number > b.number; });
    for (const File& f : t.files) {
        args.push_back((stage / CabinetName(f.name, f.number)).string());
        fs::copy_file(fs::path(from) / f.name, args.back());
        fs::last_write_time(args.back(), fs::last_write_time(fs::path(from) / f.name));  // the cabinet keeps dates
    }
    fs::remove(part);
    int status = Run(args);
    fs::remove_all(stage);
    if (status != 0) {
        fs::remove(part);
        printf("ce_cab: gcab failed (%d)\n", status);
        return 1;
    }
    fs::rename(part, out);
    printf("%s: %ju bytes, installation data %zu bytes\n", fs::path(out).filename().c_str(),
           uintmax_t(fs::file_size(out)), data.size());
    return 0;
}
