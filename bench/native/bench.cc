// Native parse benchmark: times parseProgram alone, without Node-API or any conversion, on source
// files written by bench/native.js, next to a plain scan of the same bytes for line feeds (the
// floor no parser beats). Prints one JSON object per source file on stdout.
//
//   vexa_bench [--runs N] <words file> <source file>...
//
// The words file holds one keyword per line, "<category> <word>", category one of instructions,
// precodes, directives, commands; the table is not strict and the rules are the defaults.
//
// Per file: the first parse measures memory (resident set growth while its result is held, and
// the heap in use by malloc, before and after); the timed parses follow, as many as fit in about
// two seconds (at least two), and the median is reported; --runs N times exactly N parses instead
// (--runs 1 under callgrind gives the instruction count of two parses, one untimed, however slow
// the machine). Instructions are counted with the
// kernel's performance counters for the calling thread, user space only, over one parse; where
// the counters are not available the field is null.
#include "lexer/keyword_table.h"
#include "parser/program.h"
#include "syntax/compact_writer.h"
#include "toolchain/characters.h"
#include "toolchain/context.h"
#include "toolchain/rules.h"
#include "toolchain/source_text.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#if defined(__linux__)
#include <linux/perf_event.h>
#include <malloc.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

std::shared_ptr<const VEXA::KeywordTable> ReadWords(const char* file) {
  static const std::map<std::string, VEXA::Lexer::TokenKind> kinds = {
      {"instructions", VEXA::Lexer::TokenKind::Instruction},
      {"precodes", VEXA::Lexer::TokenKind::Precode},
      {"directives", VEXA::Lexer::TokenKind::Directive},
      {"commands", VEXA::Lexer::TokenKind::Command},
  };
  auto table = std::make_shared<VEXA::KeywordTable>();
  std::ifstream in(file);
  std::string category;
  std::string word;
  while (in >> category >> word) {
    const auto kind = kinds.find(category);
    if (kind == kinds.end()) continue;
    // Not strict: keys are upper-cased, as the addon's keywords() does.
    for (char& c : word) c = VEXA::upper(c);
    table->words.try_emplace(word, kind->second);
  }
  return table;
}

bool ReadFile(const char* file, std::string& bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  bytes = std::move(out).str();
  return true;
}

// The same source, ready to parse: what the addon hands the worker.
auto Prepare(const std::string& bytes, const std::shared_ptr<const VEXA::KeywordTable>& table) {
  auto context = std::make_shared<VEXA::Toolchain::Context>(
      "bench.vx", std::make_shared<VEXA::Toolchain::Rules>());
  context->setKeywords(table);
  return std::make_pair(VEXA::Toolchain::SourceText::copy(bytes.data(), bytes.size()),
                        std::move(context));
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

long ResidentBytes() {
#if defined(__linux__)
  long pages = 0;
  long resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * sysconf(_SC_PAGESIZE);
#else
  return 0;
#endif
}

long HeapInUse() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>(info.uordblks + info.hblkhd);
#else
  return 0;
#endif
}

// User-space instructions of this thread while `work` runs; negative where not countable.
template <typename Work>
long long CountInstructions(Work&& work) {
#if defined(__linux__)
  perf_event_attr attr;
  std::memset(&attr, 0, sizeof attr);
  attr.type = PERF_TYPE_HARDWARE;
  attr.size = sizeof attr;
  attr.config = PERF_COUNT_HW_INSTRUCTIONS;
  attr.disabled = 1;
  attr.exclude_kernel = 1;
  attr.exclude_hv = 1;
  const int fd = static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
  if (fd >= 0) {
    ioctl(fd, PERF_EVENT_IOC_RESET, 0);
    ioctl(fd, PERF_EVENT_IOC_ENABLE, 0);
    work();
    ioctl(fd, PERF_EVENT_IOC_DISABLE, 0);
    long long count = -1;
    if (read(fd, &count, sizeof count) != sizeof count) count = -1;
    close(fd);
    return count;
  }
#endif
  work();
  return -1;
}

// Line feeds counted with memchr: the least any reader of these bytes has to do.
size_t CountLines(const std::string& bytes) {
  size_t lines = 0;
  const char* at = bytes.data();
  const char* end = at + bytes.size();
  while ((at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr) {
    ++lines;
    ++at;
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  size_t runs = 0;
  if (argc > 2 && std::strcmp(argv[1], "--runs") == 0) {
    runs = std::strtoul(argv[2], nullptr, 10);
    first = 3;
  }
  if (argc < first + 2) {
    std::fprintf(stderr, "usage: %s [--runs N] <words file> <source file>...\n", argv[0]);
    return 2;
  }
  const auto table = ReadWords(argv[first]);
  for (int f = first + 1; f < argc; ++f) {
    std::string bytes;
    if (!ReadFile(argv[f], bytes)) {
      std::fprintf(stderr, "cannot read %s\n", argv[f]);
      return 1;
    }
    const double size = static_cast<double>(bytes.size());

    // Memory held by a result before any conversion.
    size_t nodes = 0;
    long residentGrowth = 0;
    long heapGrowth = 0;
    {
      auto [source, context] = Prepare(bytes, table);
      const long resident = ResidentBytes();
      const long heap = HeapInUse();
      VEXA::Program program = VEXA::parseProgram(std::move(source), std::move(context));
      residentGrowth = ResidentBytes() - resident;
      heapGrowth = HeapInUse() - heap;
      nodes = program.nodes.size();
    }

    std::vector<double> parses;
    std::vector<double> encodes;
    long long instructions = -1;
    const Clock::time_point started = Clock::now();
    const auto more = [&] {
      if (runs > 0) return parses.size() < runs;
      return parses.size() < 2 ||
             (parses.size() < 15 && Clock::now() - started < std::chrono::seconds(2));
    };
    while (more()) {
      auto [source, context] = Prepare(bytes, table);
      VEXA::Program program;
      Clock::duration took{};
      const long long counted = CountInstructions([&] {
        const Clock::time_point t0 = Clock::now();
        program = VEXA::parseProgram(std::move(source), std::move(context));
        took = Clock::now() - t0;
      });
      if (instructions < 0) instructions = counted;
      parses.push_back(Milliseconds(took));
      // The compact encoding the addon makes of the result on the worker (which frees the nodes
      // on another thread afterwards, as this does untimed when `program` goes).
      const Clock::time_point t0 = Clock::now();
      VEXA::Syntax::CompactWriter encoded;
      encoded.reserve(VEXA::Syntax::CompactWriter::estimate(bytes.size()));
      for (const auto& node : program.nodes) encoded.add(*node);
      const auto& diagnostics = program.context->diagnostics();
      for (size_t i = 0; i < diagnostics.reported(); ++i) encoded.add(diagnostics.entries()[i]);
      encodes.push_back(Milliseconds(Clock::now() - t0));
    }

    // Parse and encoding as the addon runs them: each statement encoded as soon as it is parsed,
    // its node memory reused, and the records taken in chunks whose memory comes back at once (a
    // decoding that keeps up).
    std::vector<double> fused;
    while (fused.size() < parses.size()) {
      auto [source, context] = Prepare(bytes, table);
      constexpr size_t kChunkWords = size_t{1} << 18;
      const Clock::time_point t0 = Clock::now();
      VEXA::Syntax::CompactWriter encoded;
      encoded.reserve(std::min(VEXA::Syntax::CompactWriter::estimate(bytes.size()),
                               kChunkWords + kChunkWords / 4));
      std::vector<int32_t> spare;
      const VEXA::Program program = VEXA::parseProgram(
          std::move(source), std::move(context), [&](const VEXA::Syntax::Node& node) {
            encoded.add(node);
            if (encoded.stream().size() < kChunkWords) return;
            spare.reserve(kChunkWords + kChunkWords / 4);
            spare = std::move(encoded.take(std::move(spare), false).stream);
          });
      const auto& diagnostics = program.context->diagnostics();
      for (size_t i = 0; i < diagnostics.reported(); ++i) encoded.add(diagnostics.entries()[i]);
      encoded.take({}, true);
      fused.push_back(Milliseconds(Clock::now() - t0));
    }

    std::vector<double> scans;
    size_t lines = 0;
    for (int rep = 0; rep < 9; ++rep) {
      const Clock::time_point t0 = Clock::now();
      lines += CountLines(bytes);
      scans.push_back(Milliseconds(Clock::now() - t0));
    }

    const double parse = Median(parses);
    const double scan = Median(scans);
    std::printf(
        "{\"file\":\"%s\",\"bytes\":%zu,\"nodes\":%zu,\"lines\":%zu,\"parses\":%zu,"
        "\"parseMs\":%.3f,\"parseMinMs\":%.3f,\"encodeMs\":%.3f,\"fusedMs\":%.3f,"
        "\"scanMs\":%.4f,"
        "\"instructions\":",
        argv[f], bytes.size(), nodes, lines / 9, parses.size(), parse,
        *std::min_element(parses.begin(), parses.end()), Median(encodes), Median(fused), scan);
    if (instructions >= 0) {
      std::printf("%lld", instructions);
    } else {
      std::printf("null");
    }
    std::printf(",\"residentGrowth\":%ld,\"heapGrowth\":%ld,\"bytesPerSecond\":%.1f}\n",
                residentGrowth, heapGrowth, size / (parse / 1000));
    std::fflush(stdout);
  }
  return 0;
}
