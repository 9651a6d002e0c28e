// Stand-in for libFuzzer where clang is not used: runs a fuzz target's
// LLVMFuzzerTestOneInput on random mutations of its seeds for a while. There is
// no coverage feedback; mutated inputs are fed back into the pool now and then so
// that mutations stack. The input being run when the process dies is written to
// "crash-<target>" in the working directory; --replay runs one such file.
//
//   fuzz_x [--seconds S] [--iterations N] [--seed N] [--max-len BYTES] [--replay FILE]

#include "FuzzSeeds.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#if defined(__has_include)
#if __has_include(<sanitizer/common_interface_defs.h>) && (defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__))
#include <sanitizer/common_interface_defs.h>
#define VELMORA_HAVE_DEATH_CALLBACK 1
#endif
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));
std::vector<std::string> velmoraFuzzSeeds() __attribute__((weak));

namespace {

const std::string* g_current = nullptr;
char g_crashPath[512] = "crash-input";

// Async-signal-safe: only open/write/close.
void saveCurrentInput()
{
    if (!g_current)
        return;
    const int fd = ::open(g_crashPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    const char* p = g_current->data();
    size_t left = g_current->size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n <= 0)
            break;
        p += n;
        left -= size_t(n);
    }
    ::close(fd);
    static const char note[] = "fuzz: the failing input was written to the crash file\n";
    (void)!::write(2, note, sizeof note - 1);
}

void onFatalSignal(int sig)
{
    saveCurrentInput();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

class Mutator
{
public:
    explicit Mutator(uint64_t seed) : m_rng(seed) {}

    size_t below(size_t n) { return n == 0 ? 0 : size_t(m_rng() % n); }
    uint8_t byte() { return uint8_t(m_rng()); }

    void mutate(std::string& s, const std::vector<std::string>& pool, size_t maxLen)
    {
        static const uint8_t interesting[] = {0x00, 0x01, 0x7f, 0x80, 0xff, '"', '{', '}', '[', ']', ',', ':', '0', '-', 'e', '\\'};
        switch (below(10)) {
        case 0: // flip a bit
            if (!s.empty())
                s[below(s.size())] ^= char(1u << below(8));
            break;
        case 1: // random byte
            if (!s.empty())
                s[below(s.size())] = char(byte());
            break;
        case 2: // interesting byte
            if (!s.empty())
                s[below(s.size())] = char(interesting[below(sizeof interesting)]);
            break;
        case 3: { // insert random bytes
            const size_t n = 1 + below(8);
            std::string add;
            for (size_t i = 0; i < n; ++i)
                add.push_back(char(byte()));
            s.insert(below(s.size() + 1), add);
            break;
        }
        case 4: // erase a range
            if (!s.empty()) {
                const size_t at = below(s.size());
                s.erase(at, 1 + below(std::min<size_t>(64, s.size() - at)));
            }
            break;
        case 5: // duplicate a range
            if (!s.empty()) {
                const size_t at = below(s.size());
                const size_t n = 1 + below(std::min<size_t>(64, s.size() - at));
                s.insert(below(s.size() + 1), s.substr(at, n));
            }
            break;
        case 6: // truncate
            s.resize(below(s.size() + 1));
            break;
        case 7: { // splice with another pool entry
            const std::string& other = pool[below(pool.size())];
            if (!other.empty()) {
                const size_t from = below(other.size());
                s = s.substr(0, below(s.size() + 1)) + other.substr(from);
            }
            break;
        }
        case 8: { // overwrite 4 bytes with a little- or big-endian boundary integer
            static const uint32_t values[] = {0, 1, 0x7fffffff, 0x80000000u, 0xffffffffu, 4096, 255, 256};
            if (s.size() >= 4) {
                const uint32_t v = values[below(std::size(values))];
                const size_t at = below(s.size() - 3);
                for (int i = 0; i < 4; ++i)
                    s[at + size_t(i)] = char(below(2) ? (v >> (8 * i)) : (v >> (8 * (3 - i))));
            }
            break;
        }
        default: // swap two bytes
            if (s.size() >= 2)
                std::swap(s[below(s.size())], s[below(s.size())]);
            break;
        }
        if (s.size() > maxLen)
            s.resize(maxLen);
    }

private:
    std::mt19937_64 m_rng;
};

std::string readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char* baseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 5.0;
    long long iterations = -1;
    uint64_t seed = std::random_device{}();
    size_t maxLen = 0;
    const char* replay = nullptr;
    if (const char* env = std::getenv("VELMORA_FUZZ_SECONDS"))
        seconds = std::atof(env);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--seconds")
            seconds = std::atof(argv[i + 1]);
        else if (opt == "--iterations")
            iterations = std::atoll(argv[i + 1]);
        else if (opt == "--seed")
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        else if (opt == "--max-len")
            maxLen = size_t(std::atoll(argv[i + 1]));
        else if (opt == "--replay")
            replay = argv[i + 1];
    }
    std::snprintf(g_crashPath, sizeof g_crashPath, "crash-%s", baseName(argv[0]));
    for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(sig, onFatalSignal);
#ifdef VELMORA_HAVE_DEATH_CALLBACK
    __sanitizer_set_death_callback(saveCurrentInput);
#endif
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);

    if (replay) {
        const std::string input = readFile(replay);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        std::printf("replayed %zu bytes\n", input.size());
        return 0;
    }

    std::vector<std::string> pool;
    if (velmoraFuzzSeeds)
        pool = velmoraFuzzSeeds();
    pool.push_back(std::string());
    size_t longest = 0;
    for (const std::string& s : pool)
        longest = std::max(longest, s.size());
    if (maxLen == 0)
        maxLen = std::max<size_t>(4096, 2 * longest);
    const size_t seedCount = pool.size();

    Mutator m(seed);
    std::printf("fuzz %s: seed %llu, %zu seeds, up to %.0f s\n", baseName(argv[0]),
                static_cast<unsigned long long>(seed), seedCount, seconds);
    std::fflush(stdout);

    const auto start = std::chrono::steady_clock::now();
    long long done = 0;
    std::string input;
    // Every seed as it is first.
    for (const std::string& s : pool) {
        g_current = &s;
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size());
        ++done;
    }
    for (;; ++done) {
        if (iterations >= 0 && done >= iterations)
            break;
        if ((done & 63) == 0) {
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            if (iterations < 0 && elapsed.count() >= seconds)
                break;
        }
        if (m.below(32) == 0) {
            input.clear();
            const size_t n = m.below(256);
            for (size_t i = 0; i < n; ++i)
                input.push_back(char(m.byte()));
        } else {
            input = pool[m.below(pool.size())];
            const size_t rounds = 1 + m.below(8);
            for (size_t r = 0; r < rounds; ++r)
                m.mutate(input, pool, maxLen);
        }
        g_current = &input;
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        g_current = nullptr;
        // Keep some mutants so that mutations accumulate; the seeds stay.
        if (m.below(16) == 0) {
            if (pool.size() < seedCount + 256)
                pool.push_back(input);
            else
                pool[seedCount + m.below(256)] = input;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("fuzz %s: %lld inputs in %.1f s, no failure\n", baseName(argv[0]), done, elapsed.count());
    return 0;
}
