#include "scenario/RunFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <type_traits>

#include "base/Files.h"
#include "base/Numbers.h"
#include "world/TableHash.h"

namespace orb {
namespace {

using nlohmann::json;
// Written with the keys in the order they are given.
using ordered = nlohmann::ordered_json;

constexpr const char* kFormat = "orbitarium-run";
constexpr const char* kActions[] = {"type", "leave", "check", "click", "edit", "hash"};
// The file's objects lie at most this deep: root, start, settings, a setting.
constexpr int kMostDepth = 4;

std::string hex64(std::uint64_t v) { return hashText(v); }

std::string line(const ordered& j) { return j.dump(); }

ordered bodyRow(const World& w, int i)
{
    ordered row = ordered::object();
    row["body"] = i;
    forEachBodyColumn([&](const char* name, auto m) { row[name] = (w.*m)[i]; });
    return row;
}

bool allZero(const World& w, int i)
{
    bool zero = true;
    forEachBodyColumn([&](const char*, auto m) { zero = zero && (w.*m)[i] == 0 && !std::signbit(double((w.*m)[i])); });
    return zero;
}

// A forward iterator over the text that counts the lines it has passed, so
// that the parser's callback knows on which line each object starts.
class LineCounting {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    LineCounting() = default;
    LineCounting(const char* p, int* line) : p_(p), line_(line) {}
    reference operator*() const { return *p_; }
    LineCounting& operator++()
    {
        if (*p_ == '\n') ++*line_;
        ++p_;
        return *this;
    }
    LineCounting operator++(int)
    {
        LineCounting old = *this;
        ++*this;
        return old;
    }
    bool operator==(const LineCounting& o) const { return p_ == o.p_; }
    bool operator!=(const LineCounting& o) const { return p_ != o.p_; }

private:
    const char* p_ = nullptr;
    int* line_ = nullptr;
};

// The lines on which the elements of the three long arrays start.
struct Lines {
    std::vector<int> settings, bodies, journal;
};

// A refusal while reading the parsed document.
struct Refusal {
    int line;
    std::string why;
};

[[noreturn]] void refuse(int line, std::string why) { throw Refusal{line, std::move(why)}; }

const json& member(const json& o, const char* key, int at)
{
    if (!o.is_object()) refuse(at, "expected an object");
    const auto it = o.find(key);
    if (it == o.end()) refuse(at, std::string("\"") + key + "\" is missing");
    return *it;
}

std::string text(const json& o, const char* key, int at, bool required = true)
{
    const auto it = o.find(key);
    if (it == o.end()) {
        if (required) refuse(at, std::string("\"") + key + "\" is missing");
        return {};
    }
    if (!it->is_string()) refuse(at, std::string("\"") + key + "\" is not a text");
    const auto& s = it->get_ref<const std::string&>();
    if (s.size() > kRunTextMaxChars) refuse(at, std::string("\"") + key + "\" is longer than 4096 characters");
    return s;
}

double number(const json& v, const std::string& what, int at)
{
    if (!v.is_number()) refuse(at, what + " is not a number");
    const double d = v.get<double>();
    if (!std::isfinite(d)) refuse(at, what + " is not a finite number");
    return d;
}

long long whole(const json& v, const std::string& what, long long lo, long long hi, int at)
{
    const auto n = wholeNumber(number(v, what, at), lo, hi);
    if (!n) refuse(at, what + " is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return *n;
}

std::uint64_t hex(const json& v, const std::string& what, int at)
{
    if (!v.is_string()) refuse(at, what + " is not a text");
    const auto& s = v.get_ref<const std::string&>();
    if (s.size() != 18 || s.rfind("0x", 0) != 0 || s.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos)
        refuse(at, what + " is not 0x and 16 hex digits");
    return std::stoull(s.substr(2), nullptr, 16);
}

template <class T>
void setCell(T& cell, const json& v, const std::string& what, int at)
{
    if constexpr (std::is_same_v<T, std::int16_t>) {
        cell = static_cast<std::int16_t>(whole(v, what, -32768, 32767, at));
    } else if constexpr (std::is_same_v<T, float>) {
        const double d = number(v, what, at);
        const auto f = static_cast<float>(d);
        if (!std::isfinite(f) || static_cast<double>(f) != d) refuse(at, what + " is not a single-precision number");
        cell = f;
    } else {
        cell = number(v, what, at);
    }
}

JournalStart readStart(const json& start, const Lines& lines, int at)
{
    JournalStart s;
    const json& random = member(start, "random", at);
    s.random.state = hex(member(random, "state", at), "the random state", at);
    s.random.inc = hex(member(random, "inc", at), "the random increment", at);
    if ((s.random.inc & 1u) == 0) refuse(at, "the random increment is even");

    const json& counters = member(start, "counters", at);
    forEachRunCounter([&](const char* name, auto m) { setCell(s.table.*m, member(counters, name, at), name, at); });
    if (s.table.bodyCount < 0 || s.table.bodyCount > kMaxBody) refuse(at, "bodyCount is not one of 0 .. 999");

    const json& settings = member(start, "settings", at);
    if (!settings.is_array()) refuse(at, "\"settings\" is not a list");
    for (std::size_t k = 0; k < settings.size(); ++k) {
        const int l = k < lines.settings.size() ? lines.settings[k] : at;
        const json& o = settings[k];
        if (!o.is_object()) refuse(l, "a setting is not an object");
        JournalSetting js;
        js.name = text(o, "name", l);
        js.text = text(o, "text", l);
        if (o.contains("held")) js.held = number(o["held"], "\"held\"", l);
        if (o.contains("left")) js.left = number(o["left"], "\"left\"", l);
        s.settings.push_back(std::move(js));
    }

    const json& bodies = member(start, "bodies", at);
    if (!bodies.is_array()) refuse(at, "\"bodies\" is not a list");
    std::set<long long> seen;
    for (std::size_t k = 0; k < bodies.size(); ++k) {
        const int l = k < lines.bodies.size() ? lines.bodies[k] : at;
        const json& row = bodies[k];
        const long long i = whole(member(row, "body", l), "the body number", 0, kMaxBody, l);
        if (!seen.insert(i).second) refuse(l, "body " + std::to_string(i) + " is given twice");
        forEachBodyColumn([&](const char* name, auto m) { setCell((s.table.*m)[i], member(row, name, l), name, l); });
    }
    return s;
}

Journal readJournal(const json& root, const Lines& lines)
{
    if (!root.is_object()) refuse(1, "the file is not a run file (no object)");
    const auto format = root.find("format");
    if (format == root.end() || *format != kFormat) refuse(1, "the file is not a run file (no \"format\": \"orbitarium-run\")");
    const long long version = whole(member(root, "version", 1), "the version", 0, 1LL << 40, 1);
    if (version > kRunFileVersion)
        refuse(1, "made by a later version of the program (run file version " + std::to_string(version) + ")");
    if (version < 1) refuse(1, "the version is not one this program reads");

    Journal j;
    j.start = readStart(member(root, "start", 1), lines, 1);
    const json& end = member(root, "end", 1);
    j.endTick = whole(member(end, "tick", 1), "the end tick", 0, 1LL << 53, 1);
    j.endHash = hex(member(end, "hash", 1), "the end hash", 1);

    const json& entries = member(root, "journal", 1);
    if (!entries.is_array()) refuse(1, "\"journal\" is not a list");
    long long last = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const int l = k < lines.journal.size() ? lines.journal[k] : 1;
        const json& o = entries[k];
        JournalEntry e;
        e.line = l;
        e.tick = whole(member(o, "tick", l), "the tick", 0, j.endTick, l);
        if (e.tick < last) refuse(l, "the tick " + std::to_string(e.tick) + " comes after tick " + std::to_string(last));
        last = e.tick;
        e.action = text(o, "action", l);
        bool known = false;
        for (const char* a : kActions) known = known || e.action == a;
        if (!known) refuse(l, "\"" + e.action.substr(0, 40) + "\" is not an input a run file holds");
        e.name = text(o, "name", l, false);
        e.text = text(o, "text", l, false);
        j.entries.push_back(std::move(e));
    }
    return j;
}

// The line of a byte offset.
int lineAt(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

}  // namespace

std::string runFileText(const Journal& j)
{
    std::string out;
    out += "{\"format\": \"orbitarium-run\", \"version\": " + std::to_string(kRunFileVersion) + ",\n";
    out += " \"start\": {\n";
    out += "  \"random\": " + line({{"state", hex64(j.start.random.state)}, {"inc", hex64(j.start.random.inc)}}) + ",\n";
    ordered counters = ordered::object();
    forEachRunCounter([&](const char* name, auto m) { counters[name] = j.start.table.*m; });
    out += "  \"counters\": " + line(counters) + ",\n";
    out += "  \"settings\": [";
    const char* sep = "\n   ";
    for (const JournalSetting& s : j.start.settings) {
        ordered o = {{"name", s.name}, {"text", s.text}};
        if (s.held) o["held"] = *s.held;
        if (s.left) o["left"] = *s.left;
        out += sep + line(o);
        sep = ",\n   ";
    }
    out += "],\n  \"bodies\": [";
    sep = "\n   ";
    for (int i = 0; i < kSlots; ++i) {
        if (allZero(j.start.table, i)) continue;
        out += sep + line(bodyRow(j.start.table, i));
        sep = ",\n   ";
    }
    out += "]},\n \"journal\": [";
    sep = "\n  ";
    for (const JournalEntry& e : j.entries) {
        ordered o = {{"tick", e.tick}, {"action", e.action}};
        if (!e.name.empty()) o["name"] = e.name;
        if (!e.text.empty()) o["text"] = e.text;
        out += sep + line(o);
        sep = ",\n  ";
    }
    out += "],\n \"end\": " + line({{"tick", j.endTick}, {"hash", hex64(j.endHash)}}) + "}\n";
    return out;
}

Result<Journal> parseRunFile(std::string_view text, const std::string& source)
{
    auto refused = [&](int line, const std::string& why) {
        return fail(source + ": line " + std::to_string(line) + ": " + why);
    };
    if (text.size() > kRunFileMaxBytes) return fail(source + ": larger than 64 MB, not a run file this program wrote");
    int current = 1;
    Lines lines;
    // Which long list the parser is in: the key that opened the list at each depth.
    std::vector<std::string> keys(16);
    const auto callback = [&](int depth, json::parse_event_t event, json& parsed) {
        if (depth > kMostDepth) throw Refusal{current, "nested deeper than a run file is"};
        if (event == json::parse_event_t::key && depth < static_cast<int>(keys.size()))
            keys[static_cast<std::size_t>(depth)] = parsed.get<std::string>();
        if (event == json::parse_event_t::object_start) {
            // An element of "journal" (root › journal › element) or of
            // "settings" and "bodies" (root › start › list › element).
            if (depth == 2 && keys[1] == "journal") lines.journal.push_back(current);
            if (depth == 3 && keys[1] == "start" && keys[2] == "settings") lines.settings.push_back(current);
            if (depth == 3 && keys[1] == "start" && keys[2] == "bodies") lines.bodies.push_back(current);
        }
        return true;
    };
    json root;
    try {
        root = json::parse(LineCounting(text.data(), &current), LineCounting(text.data() + text.size(), &current),
                           callback);
    } catch (const Refusal& r) {
        return refused(r.line, r.why);
    } catch (const json::parse_error& e) {
        // The reason without the library's own prefix ("[json.exception.parse_error.101] ").
        std::string why = e.what();
        if (const auto colon = why.find("syntax error"); colon != std::string::npos) why = why.substr(colon);
        if (why.size() > 160) why = why.substr(0, 160) + "...";
        // One printable line, whatever the file held.
        for (char& c : why)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) c = '?';
        return refused(lineAt(text, e.byte > 0 ? e.byte - 1 : 0), "not JSON: " + why);
    } catch (const std::exception&) {
        return refused(current, "not a run file this program reads");
    }
    try {
        return readJournal(root, lines);
    } catch (const Refusal& r) {
        return refused(r.line, r.why);
    } catch (const std::exception&) {
        return refused(1, "not a run file this program reads");
    }
}

Result<Journal> readRunFile(const std::string& path)
{
    auto text = readRegularFile(path, kRunFileMaxBytes);
    if (!text) return fail(text.error());
    return parseRunFile(*text, path);
}

Status writeRunFile(const std::string& path, const Journal& journal)
{
    return writeFileAtomically(path, runFileText(journal));
}

}  // namespace orb
