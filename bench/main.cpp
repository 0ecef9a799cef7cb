// velmo_bench [NAME...]: runs every section, or those whose names are given, then prints
// the final table of figures and goals, and beside it the figures as they were before,
// where a section recorded them. It always exits 0: a missed goal is news, not a
// broken build.

#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench.h"

namespace bench {
namespace {

struct Entry {
  const char* name;
  Section run;
};

std::vector<Entry>& sections() {
  static std::vector<Entry> all;
  return all;
}

std::vector<Figure>& figures() {
  static std::vector<Figure> all;
  return all;
}

struct BeforeTable {
  const char* when;
  std::span<const Before> rows;
};

std::vector<BeforeTable>& befores() {
  static std::vector<BeforeTable> all;
  return all;
}

bool wanted(const char* name, int argc, char** argv) {
  if (argc < 2) return true;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return true;
  return false;
}

// Without a session's runtime folder, Qt makes /tmp/runtime-USER and libpulse makes a
// /tmp/pulse-* folder with a link to it in the home, and both stay after the run. The
// in-process sections get a runtime folder of their own instead, removed at the end;
// a sound server is then found only where PULSE_SERVER names it. A session's own folder
// is used as it is, so that on a desktop the sections reach the desktop's server.
class RuntimeFolder {
 public:
  RuntimeFolder() {
    if (const char* given = std::getenv("XDG_RUNTIME_DIR"); given && *given) return;
    std::string templ =
        (std::filesystem::temp_directory_path() / "velmo-bench-run.XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) return;  // Qt and libpulse then make their own
    dir_ = templ;
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  }
  ~RuntimeFolder() {
    if (dir_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  RuntimeFolder(const RuntimeFolder&) = delete;
  RuntimeFolder& operator=(const RuntimeFolder&) = delete;

 private:
  std::filesystem::path dir_;
};

}  // namespace

bool addSection(const char* name, Section run) {
  sections().push_back({name, run});
  return true;
}

void addFigure(Figure figure) {
  figures().push_back(std::move(figure));
}

void addBefore(const char* when, std::span<const Before> rows) {
  befores().push_back({when, rows});
}

}  // namespace bench

int main(int argc, char** argv) {
  const bench::RuntimeFolder runtime;
  for (const auto& section : bench::sections()) {
    if (!bench::wanted(section.name, argc, argv)) continue;
    std::printf("== %s ==\n", section.name);
    std::fflush(stdout);
    section.run();
    std::printf("\n");
    std::fflush(stdout);
  }
  if (!bench::figures().empty()) {
    std::printf("== figures and goals ==\n");
    bench::printTable(bench::figures(), stdout);
  }
  for (const auto& before : bench::befores()) {
    std::printf("\n== %s ==\n", before.when);
    bench::printBefore(before.rows, stdout);
  }
  return 0;
}
