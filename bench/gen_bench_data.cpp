// Deterministic data generator for the Sorvane benchmarks.
//
//   sorvane-bench-data bigfile PATH [MiB]   CR LF text, default 256 MiB
//   sorvane-bench-data tree DIR [files]     many small CR LF .txt files, default 20000
//   sorvane-bench-data noeol PATH [MiB]     one endless line, default 1024 MiB
//   sorvane-bench-data sparsehits PATH [MiB] CR LF text with ~100 occurrences, default 1024 MiB
//   sorvane-bench-data holes PATH [MiB]     a sparse file: text islands in holes, one occurrence
//                                           at its end, default 2048 MiB
//   sorvane-bench-data undotree DIR [folders] folders of 100 small CR LF .txt files, each holding
//                                           the term twice, default 200 folders
//
// The same arguments always give byte-identical output (fixed-seed PRNG, no
// clocks, no std::random_device), so figures from different runs and machines
// are comparable. Each subcommand prints how many occurrences of "needle" it
// planted, so a run can be checked against the replacement count.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

constexpr std::string_view kTerm = "needle";

// splitmix64: tiny, fast and good enough; what matters here is reproducibility.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform enough for benchmark data; the modulo bias is irrelevant here.
    std::uint64_t below(std::uint64_t n) { return next() % n; }

private:
    std::uint64_t state_;
};

// None of these contains "needle" in any case, so the planted count is exact.
constexpr std::array<std::string_view, 64> kWords = {
    "the",     "of",      "and",     "to",      "in",      "a",       "is",      "that",
    "for",     "it",      "as",      "was",     "with",    "be",      "by",      "on",
    "not",     "he",      "this",    "are",     "or",      "his",     "from",    "at",
    "which",   "but",     "have",    "an",      "had",     "they",    "you",     "were",
    "thread",  "cloth",   "stitch",  "button",  "pattern", "fabric",  "sewing",  "linen",
    "window",  "garden",  "morning", "river",   "letter",  "number",  "through", "between",
    "another", "because", "however", "question","problem", "evening", "silver",  "market",
    "picture", "kitchen", "weather", "journey", "quietly", "remember","together","wherever",
};

class Writer {
public:
    explicit Writer(const std::filesystem::path& path) : path_(path)
    {
        file_ = std::fopen(path.c_str(), "wb");
        if (!file_) fail("cannot create");
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer()
    {
        if (file_) std::fclose(file_);
    }

    void put(std::string_view s) { buf_.append(s); }
    void put(char c) { buf_.push_back(c); }
    std::uint64_t size() const { return written_ + buf_.size(); }

    // Only called between words, so a word never straddles two fwrite calls
    // (not that it would matter for the file; it keeps the buffer logic simple).
    void maybe_flush()
    {
        if (buf_.size() >= kFlushAt) flush();
    }
    void close()
    {
        flush();
        if (std::fclose(file_) != 0) {
            file_ = nullptr;
            fail("cannot close");
        }
        file_ = nullptr;
    }

private:
    // Large writes: the generator should take a small fraction of a benchmark run.
    static constexpr std::size_t kFlushAt = 8u << 20;

    void flush()
    {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), file_) != buf_.size())
            fail("cannot write");
        written_ += buf_.size();
        buf_.clear();
    }
    [[noreturn]] void fail(const char* what) const
    {
        std::fprintf(stderr, "sorvane-bench-data: %s %s\n", what, path_.c_str());
        std::exit(1);
    }

    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    std::string buf_;
    std::uint64_t written_ = 0;
};

struct Counts {
    std::uint64_t exact = 0;        // "needle" as written
    std::uint64_t ignoring_case = 0; // needle, Needle, NEEDLE
};

// Picks the next word. One word in `needle_every` is the term; of those, most
// are lower case and the rest are Needle / NEEDLE, so ignoring case finds more.
std::string_view pick_word(Rng& rng, std::uint64_t needle_every)
{
    if (needle_every != 0 && rng.below(needle_every) == 0) {
        const auto r = rng.below(100);
        if (r < 6) return "Needle";
        if (r < 10) return "NEEDLE";
        return kTerm;
    }
    return kWords[rng.below(kWords.size())];
}

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return (x | 0x20) == (y | 0x20); // ASCII letters only, which is all the data has
    });
}

// Writes a word and counts it if it is the term (only words actually written count).
void put_word(Writer& out, std::string_view w, Counts& counts)
{
    out.put(w);
    if (equals_ignoring_case(w, kTerm)) {
        ++counts.ignoring_case;
        counts.exact += (w == kTerm);
    }
}

// Appends one line of 20..200 characters (before the CR LF), ending in a full stop.
void put_line(Writer& out, Rng& rng, std::uint64_t needle_every, Counts& counts)
{
    const std::size_t target = 20 + rng.below(181);
    std::size_t len = 0;
    for (;;) {
        const std::string_view w = pick_word(rng, needle_every);
        const std::size_t extra = (len ? 1 : 0) + w.size() + 1; // separator, word, full stop
        // Short lines always grow (words are at most 8 chars, so this stays under 200).
        if (len >= 20 && len + extra > target) break;
        if (len) out.put(' ');
        put_word(out, w, counts);
        len += extra - 1;
    }
    out.put(".\r\n");
}

bool parse_count(const char* s, std::uint64_t& value)
{
    const std::string_view sv(s);
    const auto [end, ec] = std::from_chars(sv.data(), sv.data() + sv.size(), value);
    return ec == std::errc() && end == sv.data() + sv.size() && value > 0;
}

// Printed without the path so a script can keep it beside the data as-is.
void report(const Counts& c)
{
    std::printf("planted %llu x \"needle\" (case-sensitive), %llu ignoring case\n",
                static_cast<unsigned long long>(c.exact),
                static_cast<unsigned long long>(c.ignoring_case));
}

int bigfile(const std::filesystem::path& path, std::uint64_t mib)
{
    Rng rng(0x5EED0001);
    Counts counts;
    Writer out(path);
    const std::uint64_t limit = mib << 20;
    // Whole lines only, so the file ends in CR LF and is a little over `mib`.
    while (out.size() < limit) {
        put_line(out, rng, 12, counts); // ~3 million occurrences in 256 MiB
        out.maybe_flush();
    }
    out.close();
    report(counts);
    return 0;
}

int tree(const std::filesystem::path& dir, std::uint64_t files)
{
    Rng rng(0x5EED0002);
    Counts counts;
    std::uint64_t with_term = 0;
    // In every block of 100 files exactly one, chosen by the PRNG, holds the term: 1% of files.
    std::uint64_t chosen = rng.below(100);
    for (std::uint64_t i = 0; i < files; ++i) {
        if (i % 100 == 0 && i != 0) chosen = i + rng.below(100);
        const bool has_term = (i == chosen);
        // Four directory levels, four-way fan-out: 256 leaf folders.
        char rel[64];
        std::snprintf(rel, sizeof rel, "d%llu/d%llu/d%llu/d%llu/file%05llu.txt",
                      static_cast<unsigned long long>(i % 4),
                      static_cast<unsigned long long>(i / 4 % 4),
                      static_cast<unsigned long long>(i / 16 % 4),
                      static_cast<unsigned long long>(i / 64 % 4),
                      static_cast<unsigned long long>(i));
        const std::filesystem::path path = dir / rel;
        std::filesystem::create_directories(path.parent_path());

        // Whole lines up to this size: 1 KiB .. just under 8 KiB.
        const std::uint64_t size = 1024 + rng.below(7 * 1024 - 256);
        Writer out(path);
        Counts file_counts;
        while (out.size() < size) put_line(out, rng, has_term ? 40 : 0, file_counts);
        if (has_term && file_counts.ignoring_case == 0) { // make sure the chosen file has one
            out.put("Lost a needle here.\r\n");
            ++file_counts.exact;
            ++file_counts.ignoring_case;
        }
        out.close();
        with_term += has_term;
        counts.exact += file_counts.exact;
        counts.ignoring_case += file_counts.ignoring_case;
    }
    report(counts);
    std::printf("%llu of %llu files contain the term\n",
                static_cast<unsigned long long>(with_term), static_cast<unsigned long long>(files));
    return 0;
}

// Every file is rewritten, so the run keeps as many originals as there are files and its undo
// puts each of them back: folders of 100 files of 1-4 KiB, the term in each file twice.
int undotree(const std::filesystem::path& dir, std::uint64_t folders)
{
    constexpr int kFilesPerFolder = 100;
    Rng rng(0x5EED0006);
    Counts counts;
    for (std::uint64_t folder = 0; folder < folders; ++folder) {
        char name[32];
        std::snprintf(name, sizeof name, "d%03llu", static_cast<unsigned long long>(folder));
        std::filesystem::create_directories(dir / name);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "file%02d.txt", i);
            Writer out(dir / name / file);
            put_word(out, kTerm, counts);
            out.put(" at the start.\r\n");
            const std::uint64_t size = 1024 + rng.below(3 * 1024);
            while (out.size() < size) put_line(out, rng, 0, counts);
            out.put("And a ");
            put_word(out, kTerm, counts);
            out.put(" at the end.\r\n");
            out.close();
        }
    }
    report(counts);
    std::printf("%llu files, each holding the term twice\n",
                static_cast<unsigned long long>(folders * kFilesPerFolder));
    return 0;
}

int noeol(const std::filesystem::path& path, std::uint64_t mib)
{
    Rng rng(0x5EED0003);
    Counts counts;
    Writer out(path);
    const std::uint64_t limit = mib << 20;
    // One single line: a tool that buffers a line at a time must hold all of it.
    while (out.size() < limit) {
        if (out.size()) out.put(' ');
        put_word(out, pick_word(rng, 1000), counts);
        out.maybe_flush();
    }
    out.close();
    report(counts);
    return 0;
}

// The same text as bigfile, but about a hundred occurrences in the whole file: most of it is
// copied unchanged.
int sparsehits(const std::filesystem::path& path, std::uint64_t mib)
{
    Rng rng(0x5EED0004);
    Counts counts;
    Writer out(path);
    const std::uint64_t limit = mib << 20;
    // About 15 words a line, 110 bytes: a hundred occurrences need one word in (lines x 15) / 100.
    const std::uint64_t every = std::max<std::uint64_t>(1, (limit / 110) * 15 / 100);
    while (out.size() < limit) {
        put_line(out, rng, every, counts);
        out.maybe_flush();
    }
    out.close();
    report(counts);
    return 0;
}

// A sparse file: an island of 64 KiB of text at the start of every 64 MiB, holes between, and one
// line holding the term just before the end. Reports the allocated size, which a rewrite should keep.
int holes(const std::filesystem::path& path, std::uint64_t mib)
{
    constexpr std::uint64_t kStride = 64u << 20;
    constexpr std::uint64_t kIsland = 64u << 10;
    Rng rng(0x5EED0005);
    Counts counts;
    std::string island;
    {
        const std::filesystem::path scratch = path.string() + ".island";
        Writer text(scratch);
        while (text.size() < kIsland) put_line(text, rng, 0, counts);
        text.close();
        FILE* in = std::fopen(scratch.c_str(), "rb");
        island.resize(kIsland);
        if (!in || std::fread(island.data(), 1, kIsland, in) != kIsland) return 1;
        std::fclose(in);
        std::filesystem::remove(scratch);
        island.resize(island.rfind("\r\n") + 2); // whole lines only
    }
    const std::string last = "At the very end lies a needle in the hay.\r\n";
    const std::uint64_t size = mib << 20;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 1;
    for (std::uint64_t at = 0; at + kStride <= size; at += kStride) {
        if (fseeko(out, static_cast<off_t>(at), SEEK_SET) != 0 || std::fwrite(island.data(), 1, island.size(), out) != island.size())
            return 1;
    }
    if (fseeko(out, static_cast<off_t>(size - last.size()), SEEK_SET) != 0 ||
        std::fwrite(last.data(), 1, last.size(), out) != last.size() || std::fclose(out) != 0)
        return 1;
    counts.exact = counts.ignoring_case = 1;
    report(counts);
    return 0;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: sorvane-bench-data bigfile PATH [MiB]   (default 256)\n"
                 "       sorvane-bench-data tree DIR [files]     (default 20000)\n"
                 "       sorvane-bench-data noeol PATH [MiB]     (default 1024)\n"
                 "       sorvane-bench-data sparsehits PATH [MiB] (default 1024)\n"
                 "       sorvane-bench-data holes PATH [MiB]     (default 2048)\n"
                 "       sorvane-bench-data undotree DIR [folders] (default 200)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) return usage();
    const std::string_view cmd = argv[1];
    std::uint64_t n = 0;
    if (argc == 4 && !parse_count(argv[3], n)) return usage();
    try {
        if (cmd == "bigfile") return bigfile(argv[2], n ? n : 256);
        if (cmd == "tree") return tree(argv[2], n ? n : 20000);
        if (cmd == "noeol") return noeol(argv[2], n ? n : 1024);
        if (cmd == "sparsehits") return sparsehits(argv[2], n ? n : 1024);
        if (cmd == "holes") return holes(argv[2], n ? n : 2048);
        if (cmd == "undotree") return undotree(argv[2], n ? n : 200);
    } catch (const std::exception& e) { // filesystem errors
        std::fprintf(stderr, "sorvane-bench-data: %s\n", e.what());
        return 1;
    }
    return usage();
}
