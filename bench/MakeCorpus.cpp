// The benchmark corpora, made from a fixed seed so that every machine measures the same
// bytes: "mixed" (about 150 MB in 2,000 files: source-like text, prose, configuration,
// JSON and CSV data, executable-like binaries, incompressible blobs; log-uniform sizes
// from 512 B to 2 MiB in a tree 3-4 levels deep) and "many" (20,000 files of 1-8 KiB of
// the same kinds in a tree up to 8 levels deep). The mix and the sizes follow the corpora
// the earlier figures were measured on, so that zlib packs them to about the same share
// (a little over 40 %); the bytes are not theirs. Not a test: bench/build-bench.sh and
// install-bench.sh run it.
//
//   make_corpus OUTDIR mixed|many
// writes OUTDIR/NAME/ (replacing it), OUTDIR/NAME.list (every file's absolute path,
// sorted) and OUTDIR/NAME.summary (bytes per kind). KF_CORPUS_SEED changes the seed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// splitmix64: small, fast and the same everywhere, unlike the standard distributions.
class TRandom
{
public:
    explicit TRandom(uint64_t seed) : FState(seed) {}
    uint64_t Next()
    {
        uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>((Next() >> 32) * n >> 32); }
    int32_t Between(int32_t lo, int32_t hi)
    {
        return lo + static_cast<int32_t>(Below(static_cast<uint32_t>(hi - lo + 1)));
    }
    double Unit() { return (Next() >> 11) * (1.0 / 9007199254740992.0); }
    bool Chance(double p) { return Unit() < p; }
    template <class T> const T& Pick(const std::vector<T>& v) { return v[Below(static_cast<uint32_t>(v.size()))]; }

private:
    uint64_t FState;
};

// Words drawn with Zipf-like frequencies, as in real text and code.
class TVocabulary
{
public:
    TVocabulary(TRandom& rng, size_t count, double exponent, bool identifiers)
    {
        static const std::vector<std::string> syllables = {
            "ar", "ba",  "ce", "do", "el", "fi", "ga", "ho", "in", "ju", "ka", "le",  "mo",  "nu", "or",
            "pa", "qui", "ro", "su", "ti", "ul", "ve", "wa", "xe", "yo", "za", "ent", "ion", "st", "th"};
        static const std::vector<std::string> parts = {
            "buffer", "count", "index",  "name",   "path",   "size",   "file",  "entry", "table",  "node",  "list",
            "value",  "state", "offset", "length", "handle", "stream", "chunk", "flag",  "mode",   "key",   "item",
            "data",   "text",  "line",   "page",   "block",  "result", "error", "total", "source", "target"};
        std::set<std::string> seen;
        while (FWords.size() < count)
        {
            std::string w;
            if (identifiers)
            {
                int n = rng.Between(1, 3);
                for (int i = 0; i < n; ++i)
                {
                    std::string p = rng.Chance(0.6) ? rng.Pick(parts) : Syllables(rng, syllables);
                    if (i && rng.Chance(0.5))
                        w += "_" + p;
                    else
                    {
                        if (i)
                            p[0] = static_cast<char>(p[0] - 'a' + 'A');
                        w += p;
                    }
                }
            }
            else
                w = Syllables(rng, syllables);
            if (seen.insert(w).second)
                FWords.push_back(w);
        }
        double sum = 0;
        for (size_t r = 1; r <= count; ++r)
            FCumulative.push_back(sum += 1.0 / std::pow(static_cast<double>(r), exponent));
    }
    const std::string& Draw(TRandom& rng) const
    {
        double u = rng.Unit() * FCumulative.back();
        return FWords[std::upper_bound(FCumulative.begin(), FCumulative.end(), u) - FCumulative.begin()];
    }

private:
    static std::string Syllables(TRandom& rng, const std::vector<std::string>& syllables)
    {
        static const int lengths[] = {1, 2, 2, 2, 3, 3, 4};
        std::string w;
        for (int n = lengths[rng.Below(7)]; n > 0; --n)
            w += rng.Pick(syllables);
        return w;
    }
    std::vector<std::string> FWords;
    std::vector<double> FCumulative;
};

struct TMaker
{
    TRandom Rng;
    TVocabulary Words;
    TVocabulary Ids;
    std::vector<std::string> Opcodes; // instruction-like byte patterns for the binaries

    explicit TMaker(uint64_t seed) : Rng(seed), Words(Rng, 3000, 1.05, false), Ids(Rng, 4000, 1.1, true)
    {
        // Compiled code repeats short idioms (prologues, calls, moves) over a skewed
        // byte alphabet.
        std::string alphabet(48, '\0');
        for (char& c : alphabet)
            c = static_cast<char>(Rng.Below(256));
        for (int i = 0; i < 64; ++i)
        {
            std::string op(static_cast<size_t>(Rng.Between(2, 10)), '\0');
            for (char& c : op)
                c = alphabet[static_cast<size_t>(alphabet.size() * Rng.Unit() * Rng.Unit())];
            Opcodes.push_back(op);
        }
    }

    std::string Source(size_t n)
    {
        static const std::vector<std::string> types = {"int",         "size_t",   "bool",   "auto",   "const char*",
                                                       "std::string", "uint32_t", "double", "TEntry", "TBuffer"};
        std::string out;
        int depth = 0;
        while (out.size() < n)
        {
            std::string pad(4 * depth, ' ');
            double r = Rng.Unit();
            if (depth == 0 && r < 0.3)
            {
                out += "\n// " + Words.Draw(Rng) + " " + Words.Draw(Rng) + " " + Words.Draw(Rng) + " " +
                       Words.Draw(Rng) + ".\n";
                out += Rng.Pick(types) + " " + Ids.Draw(Rng) + "::" + Ids.Draw(Rng) + "(" + Rng.Pick(types) + " " +
                       Ids.Draw(Rng) + ", const " + Rng.Pick(types) + "& " + Ids.Draw(Rng) + ")\n{\n";
                depth = 1;
            }
            else if (depth == 0 && r < 0.4)
                out += "#include \"" + Ids.Draw(Rng) + "/" + Ids.Draw(Rng) + ".h\"\n";
            else if (depth == 0)
                out += "static const " + Rng.Pick(types) + " " + Ids.Draw(Rng) + " = " +
                       std::to_string(Rng.Below(65536)) + ";\n";
            else if (r < 0.12 && depth < 4)
            {
                out += pad + "if (" + Ids.Draw(Rng) + (Rng.Chance(0.5) ? " == " : " < ") + Ids.Draw(Rng) + ")\n" + pad +
                       "{\n";
                ++depth;
            }
            else if (r < 0.18 && depth < 4)
            {
                out += pad + "for (size_t i = 0; i < " + Ids.Draw(Rng) + ".size(); ++i)\n" + pad + "{\n";
                ++depth;
            }
            else if (r < 0.32)
            {
                --depth;
                out += std::string(4 * depth, ' ') + "}\n";
            }
            else if (r < 0.5)
                out += pad + Rng.Pick(types) + " " + Ids.Draw(Rng) + " = " + Ids.Draw(Rng) + "(" + Ids.Draw(Rng) +
                       ", " + Ids.Draw(Rng) + ");\n";
            else if (r < 0.62)
                out += pad + Ids.Draw(Rng) + "." + Ids.Draw(Rng) + " = " + std::to_string(Rng.Below(4096)) + ";\n";
            else if (r < 0.75)
                out += pad + Ids.Draw(Rng) + "->" + Ids.Draw(Rng) + "(" + Ids.Draw(Rng) + ");\n";
            else if (r < 0.85)
                out += pad + "// " + Words.Draw(Rng) + " " + Words.Draw(Rng) + " " + Words.Draw(Rng) + "\n";
            else
                out += pad + "return " + Ids.Draw(Rng) + ";\n";
        }
        out.resize(n);
        return out;
    }

    std::string Prose(size_t n)
    {
        std::string out, line;
        while (out.size() < n)
        {
            int words = Rng.Between(5, 18);
            for (int i = 0; i < words; ++i)
            {
                std::string w = Words.Draw(Rng);
                if (i == 0)
                    w[0] = static_cast<char>(w[0] - 'a' + 'A');
                if (i == words - 1)
                    w += Rng.Chance(0.8) ? "." : Rng.Chance(0.5) ? "?" : ";";
                else if (Rng.Chance(0.06))
                    w += ",";
                if (line.size() + w.size() >= 76)
                {
                    out += line + "\n";
                    line.clear();
                }
                line += (line.empty() ? "" : " ") + w;
            }
            if (Rng.Chance(0.15))
            {
                out += line + "\n\n";
                line.clear();
            }
        }
        out.resize(n);
        return out;
    }

    std::string Config(size_t n)
    {
        std::string out;
        while (out.size() < n)
        {
            out += "[" + Ids.Draw(Rng) + "]\n";
            for (int i = Rng.Between(3, 12); i > 0; --i)
            {
                double r = Rng.Unit();
                std::string value = r < 0.4   ? std::to_string(Rng.Below(100000))
                                    : r < 0.6 ? (Rng.Chance(0.5) ? "true" : "false")
                                              : "\"" + Ids.Draw(Rng) + "/" + Ids.Draw(Rng) + "\"";
                out += Ids.Draw(Rng) + " = " + value + "\n";
            }
            out += "\n";
        }
        out.resize(n);
        return out;
    }

    std::string Json(size_t n)
    {
        std::string out = "[\n";
        uint32_t id = Rng.Below(1000000);
        char number[32];
        while (out.size() < n)
        {
            id += Rng.Between(1, 9);
            std::snprintf(number, sizeof number, "%.4f", Rng.Unit() * 1000);
            out += "  {\"id\": " + std::to_string(id) + ", \"name\": \"" + Words.Draw(Rng) + "_" + Words.Draw(Rng) +
                   "\", \"value\": " + number + ", \"count\": " + std::to_string(Rng.Below(5000)) + ", \"tags\": [\"" +
                   Words.Draw(Rng) + "\", \"" + Words.Draw(Rng) +
                   "\"], \"active\": " + (Rng.Chance(0.7) ? "true" : "false") + "},\n";
        }
        out.resize(n);
        return out;
    }

    std::string Csv(size_t n)
    {
        std::string out = "id,name,date,amount,qty,code\n";
        char row[160];
        for (uint32_t id = 1000; out.size() < n; ++id)
        {
            std::string code = Words.Draw(Rng).substr(0, 6);
            for (char& c : code)
                c = static_cast<char>(c - 'a' + 'A');
            std::snprintf(row, sizeof row, "%u,%s,2026-%02d-%02d,%.2f,%u,%s\n", id, Words.Draw(Rng).c_str(),
                          Rng.Between(1, 12), Rng.Between(1, 28), Rng.Unit() * 10000, Rng.Below(100), code.c_str());
            out += row;
        }
        out.resize(n);
        return out;
    }

    // Executable-like bytes: runs of instruction patterns with operands, tables of
    // growing 32-bit offsets, string tables and padding, the way a program's sections
    // look to a compressor.
    std::string Binary(size_t n)
    {
        std::string out;
        while (out.size() < n)
        {
            double r = Rng.Unit();
            if (r < 0.62)
            {
                for (int i = Rng.Between(64, 2048); i > 0; --i)
                {
                    // Few patterns are common, as in compiled code.
                    size_t k = std::min<size_t>(
                        Opcodes.size() - 1, static_cast<size_t>(Opcodes.size() * Rng.Unit() * Rng.Unit() * Rng.Unit()));
                    out += Opcodes[k];
                    if (k % 3 == 0)
                        for (int b = (k % 2) ? 4 : 1; b > 0; --b)
                            out += static_cast<char>(b == 1 ? Rng.Below(256) : Rng.Below(8));
                }
            }
            else if (r < 0.77)
            {
                uint32_t v = Rng.Below(1u << 20);
                for (int i = Rng.Between(16, 512); i > 0; --i)
                {
                    v += Rng.Between(4, 32);
                    for (int b = 0; b < 4; ++b)
                        out += static_cast<char>(v >> (8 * b));
                }
            }
            else if (r < 0.95)
            {
                for (int i = Rng.Between(16, 256); i > 0; --i)
                    out += (Rng.Chance(0.3) ? Words.Draw(Rng) : Ids.Draw(Rng)) + '\0';
            }
            else
                out.append(static_cast<size_t>(Rng.Between(16, 512)), '\0');
        }
        out.resize(n);
        return out;
    }

    std::string Noise(size_t n)
    {
        std::string out(n, '\0');
        for (size_t i = 0; i < n; i += 8)
        {
            uint64_t v = Rng.Next();
            for (size_t b = 0; b < 8 && i + b < n; ++b)
                out[i + b] = static_cast<char>(v >> (8 * b));
        }
        return out;
    }

    std::string Make(const std::string& kind, size_t n)
    {
        return kind == "source"   ? Source(n)
               : kind == "prose"  ? Prose(n)
               : kind == "config" ? Config(n)
               : kind == "json"   ? Json(n)
               : kind == "csv"    ? Csv(n)
               : kind == "binary" ? Binary(n)
                                  : Noise(n);
    }

    std::string Extension(const std::string& kind)
    {
        static const std::map<std::string, std::vector<std::string>> extensions = {
            {"source", {".cpp", ".h", ".c", ".hpp", ".cs"}},
            {"prose", {".txt", ".md", ".html"}},
            {"config", {".ini", ".cfg", ".toml"}},
            {"json", {".json"}},
            {"csv", {".csv"}},
            {"binary", {".dll", ".exe", ".ocx"}},
            {"noise", {".png", ".jpg", ".ogg", ".zip", ".cab"}}};
        return Rng.Pick(extensions.at(kind));
    }

    // count sizes between lo and hi, log-uniform, scaled to add up to about total.
    std::vector<size_t> Sizes(size_t count, double lo, double hi, double total)
    {
        std::vector<double> raw;
        double sum = 0;
        for (size_t i = 0; i < count; ++i)
            sum += raw.emplace_back(std::exp(std::log(lo) + Rng.Unit() * (std::log(hi) - std::log(lo))));
        std::vector<size_t> sizes;
        for (double x : raw)
            sizes.push_back(std::max<size_t>(64, static_cast<size_t>(x * total / sum)));
        return sizes;
    }
};

const std::vector<std::string> kFolderNames = {"core",    "ui",      "net",   "data",   "res",    "lib",    "plugins",
                                               "lang",    "docs",    "tools", "img",    "fonts",  "cache",  "src",
                                               "include", "share",   "bin",   "assets", "config", "themes", "sound",
                                               "maps",    "scripts", "help",  "locale"};

std::vector<std::string> Sample(TRandom& rng, int count)
{
    std::vector<std::string> names = kFolderNames;
    for (size_t i = names.size() - 1; i > 0; --i)
        std::swap(names[i], names[rng.Below(static_cast<uint32_t>(i + 1))]);
    names.resize(static_cast<size_t>(count));
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::string(argv[2]) != "mixed" && std::string(argv[2]) != "many"))
    {
        std::fprintf(stderr, "usage: make_corpus OUTDIR mixed|many\n");
        return 2;
    }
    const std::string name = argv[2];
    const fs::path out = fs::absolute(argv[1]);
    const fs::path root = out / name;
    const char* seedText = std::getenv("KF_CORPUS_SEED");
    uint64_t seed = (seedText ? std::strtoull(seedText, nullptr, 10) : 20261209) * 2 + (name == "many");
    TMaker maker(seed);
    TRandom& rng = maker.Rng;

    std::vector<std::string> folders;
    std::vector<std::pair<std::string, size_t>> plan; // kind, size
    if (name == "mixed")
    {
        for (const std::string& a : Sample(rng, 6))
        {
            folders.push_back(a);
            for (const std::string& b : Sample(rng, rng.Between(3, 5)))
            {
                folders.push_back(a + "/" + b);
                for (const std::string& c : Sample(rng, rng.Between(2, 4)))
                {
                    folders.push_back(a + "/" + b + "/" + c);
                    if (rng.Chance(0.4))
                        for (const std::string& d : Sample(rng, rng.Between(1, 3)))
                            folders.push_back(a + "/" + b + "/" + c + "/" + d);
                }
            }
        }
        static const std::vector<std::string> text = {"source", "source", "source", "source", "source",
                                                      "source", "prose",  "prose",  "prose",  "config"};
        for (size_t size : maker.Sizes(1250, 512, 300000, 75e6))
            plan.emplace_back(rng.Pick(text), size);
        for (size_t size : maker.Sizes(300, 1024, 200000, 12e6))
            plan.emplace_back(rng.Chance(0.5) ? "json" : "csv", size);
        for (size_t size : maker.Sizes(300, 4096, 2 << 20, 43e6))
            plan.emplace_back("binary", size);
        for (size_t size : maker.Sizes(150, 4096, 2e6, 20e6))
            plan.emplace_back("noise", size);
    }
    else
    {
        std::vector<std::string> frontier = {""};
        while (!frontier.empty() && folders.size() < 1500)
        {
            std::vector<std::string> next;
            for (const std::string& parent : frontier)
            {
                int depth = parent.empty() ? 0 : static_cast<int>(std::count(parent.begin(), parent.end(), '/')) + 1;
                if (depth >= 8)
                    continue;
                for (const std::string& c : Sample(rng, depth ? rng.Between(1, 4) : 8))
                {
                    folders.push_back(parent.empty() ? c : parent + "/" + c);
                    next.push_back(folders.back());
                }
            }
            frontier = next;
        }
        folders.resize(std::min<size_t>(folders.size(), 1500));
        static const std::vector<std::pair<const char*, int>> weights = {
            {"source", 45}, {"prose", 15}, {"config", 8}, {"json", 7}, {"csv", 5}, {"binary", 12}, {"noise", 8}};
        for (int i = 0; i < 20000; ++i)
        {
            int w = static_cast<int>(rng.Below(100));
            const char* kind = "noise";
            for (const auto& [k, weight] : weights)
                if ((w -= weight) < 0)
                {
                    kind = k;
                    break;
                }
            plan.emplace_back(kind, static_cast<size_t>(rng.Between(1024, 8192)));
        }
    }

    fs::remove_all(root);
    std::vector<std::string> paths;
    std::set<std::string> taken;
    std::map<std::string, std::pair<int, uint64_t>> kinds;
    for (size_t i = 0; i < plan.size(); ++i)
    {
        const auto& [kind, size] = plan[i];
        std::string base = maker.Ids.Draw(rng).substr(0, 24) + "_" + std::to_string(i) + maker.Extension(kind);
        fs::path path = root / rng.Pick(folders) / base;
        if (!taken.insert(path.string()).second)
            continue;
        std::string data = maker.Make(kind, size);
        fs::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary);
        file.write(data.data(), static_cast<std::streamsize>(data.size()));
        if (!file.flush())
        {
            std::fprintf(stderr, "make_corpus: cannot write %s\n", path.c_str());
            return 1;
        }
        paths.push_back(path.string());
        kinds[kind].first++;
        kinds[kind].second += data.size();
    }
    std::sort(paths.begin(), paths.end());
    std::ofstream list(out / (name + ".list"));
    for (const std::string& p : paths)
        list << p << '\n';
    uint64_t total = 0;
    for (const auto& [kind, counts] : kinds)
        total += counts.second;
    std::ofstream summary(out / (name + ".summary"));
    summary << "corpus " << name << ": " << paths.size() << " files, " << total << " bytes, seed " << seed << '\n';
    for (const auto& [kind, counts] : kinds)
        summary << "  " << kind << ": " << counts.first << " files, " << counts.second << " bytes\n";
    std::printf("corpus %s: %zu files, %llu bytes in %s\n", name.c_str(), paths.size(),
                static_cast<unsigned long long>(total), root.c_str());
    return list && summary ? 0 : 1;
}
