#include "scenario/RunFile.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <type_traits>

#include "base/Files.h"
#include "base/Numbers.h"
#include "world/SceneFile.h"
#include "world/TableHash.h"

namespace orb {
namespace {

using nlohmann::json;
// Written with the keys in the order they are given.
using ordered = nlohmann::ordered_json;

constexpr const char* kFormat = "orbitarium-run";
constexpr std::string_view kActions[] = {"type", "leave", "check", "click", "scene", "edit", "hash"};
// The file's objects lie at most this deep: root, start, settings, a setting.
constexpr int kMostDepth = 4;

std::string hex64(std::uint64_t v) { return hashText(v); }

// One line of JSON. A text that is not UTF-8 (none the program's fields make)
// is written with U+FFFD for its stray bytes rather than not at all.
std::string line(const ordered& j) { return j.dump(-1, ' ', false, ordered::error_handler_t::replace); }

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

// The lines on which the elements of the two lists of the start begin.
struct Lines {
    std::vector<int> settings, bodies;
};

// A refusal while reading the parsed document.
struct Refusal {
    int line;
    std::string why;
};

[[noreturn]] void refuse(int line, std::string why) { throw Refusal{line, std::move(why)}; }

std::string quoted(const char* key) { return std::string("\"") + key + "\""; }

const json& member(const json& o, const char* key, int at)
{
    if (!o.is_object()) refuse(at, "expected an object");
    const auto it = o.find(key);
    if (it == o.end()) refuse(at, quoted(key) + " is missing");
    return *it;
}

std::string text(const json& o, const char* key, int at, std::size_t most, bool required)
{
    const auto it = o.find(key);
    if (it == o.end()) {
        if (required) refuse(at, quoted(key) + " is missing");
        return {};
    }
    if (!it->is_string()) refuse(at, quoted(key) + " is not a text");
    const auto& s = it->get_ref<const std::string&>();
    if (s.size() > most) refuse(at, quoted(key) + " is longer than " + std::to_string(most) + " characters");
    return s;
}

double number(const json& v, const std::string& what, int at)
{
    if (v.is_null()) refuse(at, what + " is not a finite number (null)");
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
        refuse(at, what + " " + quoteCell(s) + " is not 0x and 16 hex digits");
    return std::stoull(s.substr(2), nullptr, 16);
}

template <class T>
void setCell(T& cell, const json& v, const std::string& what, int at, long long lo = -32768, long long hi = 32767)
{
    if constexpr (std::is_same_v<T, std::int16_t>) {
        cell = static_cast<std::int16_t>(whole(v, what, lo, hi, at));
    } else if constexpr (std::is_same_v<T, float>) {
        const double d = number(v, what, at);
        const auto f = static_cast<float>(std::clamp(d, -double(FLT_MAX), double(FLT_MAX)));
        if (static_cast<double>(f) != d) refuse(at, what + " is not a single-precision number");
        cell = f;
    } else {
        cell = number(v, what, at);
    }
}

// The values the program gives each counter (the rest take any 16-bit value,
// as a field's text read by Go can).
struct CounterRange {
    const char* name;
    long long lo, hi;
};
constexpr CounterRange kCounterRanges[] = {
    {"bodyCount", 0, kMaxBody},        {"nextStar", 0, kSlots},       {"starDelayCount", 0, 32767},
    {"volatility", 0, 16383},          {"volatilitySpan", 0, 32767},  {"startMomentum", 0, 32766},
    {"startMomentumSpan", 0, 32767},   {"startMomentumOffset", 0, 8192}, {"borderMode", 1, 2},
};

JournalStart readStart(const json& start, const Lines& lines, int at)
{
    JournalStart s;
    const json& random = member(start, "random", at);
    s.random.state = hex(member(random, "state", at), "the random state", at);
    s.random.inc = hex(member(random, "inc", at), "the random increment", at);
    if ((s.random.inc & 1u) == 0) refuse(at, "the random increment is even");

    const json& counters = member(start, "counters", at);
    forEachRunCounter([&](const char* name, auto m) {
        long long lo = -32768, hi = 32767;
        for (const CounterRange& r : kCounterRanges)
            if (std::strcmp(r.name, name) == 0) lo = r.lo, hi = r.hi;
        setCell(s.table.*m, member(counters, name, at), name, at, lo, hi);
    });

    const json& settings = member(start, "settings", at);
    if (!settings.is_array()) refuse(at, "\"settings\" is not a list");
    for (std::size_t k = 0; k < settings.size(); ++k) {
        const int l = k < lines.settings.size() ? lines.settings[k] : at;
        const json& o = settings[k];
        if (!o.is_object()) refuse(l, "a setting is not an object");
        JournalSetting js;
        js.name = text(o, "name", l, kRunTextMaxChars, true);
        js.text = text(o, "text", l, kRunTextMaxChars, true);
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

// One element of "journal", read as soon as the parser has it (a long journal
// is never held as a whole document). Its end tick is checked at the end.
JournalEntry readEntry(const json& o, int at, long long lastTick)
{
    JournalEntry e;
    e.line = at;
    e.tick = whole(member(o, "tick", at), "the tick", 0, kRunMaxTick, at);
    if (e.tick < lastTick)
        refuse(at, "the tick " + std::to_string(e.tick) + " comes after tick " + std::to_string(lastTick));
    e.action = text(o, "action", at, kRunTextMaxChars, true);
    if (std::find(std::begin(kActions), std::end(kActions), e.action) == std::end(kActions))
        refuse(at, quoteCell(e.action) + " is not an input a run file holds");
    const bool scene = e.action == "scene";
    // A scene is a whole scene file; every other input is a control's.
    e.name = text(o, "name", at, kRunTextMaxChars, !scene && e.action != "hash");
    e.text = text(o, "text", at, scene ? kSceneMaxBytes : kRunTextMaxChars, false);
    return e;
}

Journal readJournal(const json& root, const Lines& lines, std::vector<JournalEntry> entries,
                    const std::optional<Refusal>& badEntry)
{
    if (!root.is_object()) refuse(1, "not a run file (no object)");
    const auto format = root.find("format");
    if (format == root.end() || *format != kFormat) refuse(1, "not a run file (no \"format\": \"orbitarium-run\")");
    const long long version = whole(member(root, "version", 1), "the version", 0, 1LL << 40, 1);
    if (version > kRunFileVersion)
        refuse(1, "made by a later version of the program (run file version " + std::to_string(version) + ")");
    if (version < 1) refuse(1, "the version is not one this program reads");

    Journal j;
    j.start = readStart(member(root, "start", 1), lines, 1);
    const json& list = member(root, "journal", 1);
    if (!list.is_array()) refuse(1, "\"journal\" is not a list");
    if (badEntry) throw *badEntry;
    const json& end = member(root, "end", 1);
    j.endTick = whole(member(end, "tick", 1), "the end tick", 0, kRunMaxTick, 1);
    j.endHash = hex(member(end, "hash", 1), "the end hash", 1);
    for (const JournalEntry& e : entries)
        if (e.tick > j.endTick)
            refuse(e.line, "the tick " + std::to_string(e.tick) + " is past the end tick " + std::to_string(j.endTick));
    j.entries = std::move(entries);
    return j;
}

// The line of a byte offset.
int lineAt(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// The library's message, one printable line without its own prefix
// ("[json.exception.parse_error.101] parse error at line 1, column 2: ").
std::string parseReason(const json::parse_error& e)
{
    std::string why = e.what();
    if (const auto at = why.find("syntax error"); at != std::string::npos) why = why.substr(at);
    if (why.size() > 160) why = why.substr(0, 160) + "...";
    for (char& c : why)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) c = '?';
    return why;
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

Result<Journal> parseRunFile(std::string_view text, const std::string& source, std::size_t maxEntries)
{
    auto refused = [&](int line, const std::string& why) {
        return fail(source + ": line " + std::to_string(line) + ": " + why);
    };
    if (text.size() > kRunFileMaxBytes)
        return fail(source + ": larger than " + std::to_string(kRunFileMaxBytes >> 20) +
                    " MB, not a run file this program wrote");
    int current = 1;
    Lines lines;
    std::vector<JournalEntry> entries;
    std::optional<Refusal> badEntry;  // the first, told once the format and version are known
    int entryLine = 0;
    // The key that opened the value at each depth, to know which list an
    // element belongs to.
    std::array<std::string, kMostDepth + 2> keys;
    std::set<std::string> rootKeys;
    const auto callback = [&](int depth, json::parse_event_t event, json& parsed) {
        if (depth > kMostDepth) throw Refusal{current, "nested deeper than a run file is"};
        const auto d = static_cast<std::size_t>(depth);
        if (event == json::parse_event_t::key) {
            keys[d] = parsed.get<std::string>();
            // The first of two keys alike would be lost without a word.
            if (depth == 1 && !rootKeys.insert(keys[d]).second)
                throw Refusal{current, quoteCell(keys[d]) + " is given twice"};
            return true;
        }
        // An element of "journal" (root > journal > element) or of "settings"
        // and "bodies" (root > start > list > element).
        const bool entry = depth == 2 && keys[1] == "journal";
        const bool setting = depth == 3 && keys[1] == "start" && keys[2] == "settings";
        const bool body = depth == 3 && keys[1] == "start" && keys[2] == "bodies";
        if (event == json::parse_event_t::object_start) {
            if (entry) {
                entryLine = current;
                if (entries.size() >= maxEntries)
                    throw Refusal{current, "more than " + std::to_string(maxEntries) + " journal entries"};
            }
            if (setting && lines.settings.size() >= kRunMaxSettings)
                throw Refusal{current, "more than " + std::to_string(kRunMaxSettings) + " settings"};
            if (body && lines.bodies.size() >= static_cast<std::size_t>(kSlots))
                throw Refusal{current, "more than " + std::to_string(kSlots) + " bodies"};
            if (setting) lines.settings.push_back(current);
            if (body) lines.bodies.push_back(current);
        }
        if (entry && event == json::parse_event_t::object_end) {
            if (!badEntry) {
                try {
                    entries.push_back(readEntry(parsed, entryLine, entries.empty() ? 0 : entries.back().tick));
                } catch (const Refusal& r) {
                    badEntry = r;
                }
            }
            return false;  // read: the document need not keep it
        }
        if (entry && (event == json::parse_event_t::value || event == json::parse_event_t::array_start)) {
            if (!badEntry) badEntry = Refusal{current, "a journal entry is not an object"};
            return false;
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
        return refused(lineAt(text, e.byte > 0 ? e.byte - 1 : 0), "not JSON: " + parseReason(e));
    } catch (const std::exception&) {
        return refused(current, "not a run file this program reads");
    }
    try {
        return readJournal(root, lines, std::move(entries), badEntry);
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
