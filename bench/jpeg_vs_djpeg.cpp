// The reader's JPEG decoding beside libjpeg-turbo's djpeg on the same files, in one run: CPU time
// (user + system, best of the runs) of decoding each file as a page is decoded, with its pixels
// let go to the pool when the page is left, against djpeg decoding it to /dev/null at the same
// scale. djpeg's time includes its start-up and its reading of the file, which the reader does
// not pay per page, so its start-up on a tiny file is printed too and the comparison is made
// against djpeg less that start-up. Exits with status 1 when the reader is slower on any file.
//
//   jpeg_vs_djpeg [runs]    (needs djpeg on PATH: libjpeg-turbo-progs)
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "images/image_decoding.hpp"
#include "images/pixel_pool.hpp"
#include "platform/memory.hpp"
#include "support/jpeg_encoding.hpp"

extern char** environ;

namespace {

using namespace zentomi;
using Bytes = std::vector<std::uint8_t>;

// The reader draws strips at most this wide on the 1280 x 720 screen.
constexpr std::uint32_t DRAWN_WIDTH = 720;

struct Cost {
  double cpu_ms = 0;
  long faults = 0;  // minor page faults: memory mapped afresh
};

double ms(const timeval& time) {
  return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
}

Cost cost_of(const rusage& usage) {
  return {ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_minflt};
}

Cost operator-(const Cost& after, const Cost& before) {
  return {after.cpu_ms - before.cpu_ms, after.faults - before.faults};
}

Cost own_cost() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return cost_of(usage);
}

// Drawing-like content: flat paper and gradients with noisy panels, so no coder takes a shortcut.
Bytes page_file(int width, int height) {
  Bytes samples(static_cast<std::size_t>(width) * height * 3);
  std::mt19937 random(7);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &samples[(static_cast<std::size_t>(y) * width + x) * 3];
      const bool noisy = (x / 64 + y / 64) % 5 == 0;
      for (int c = 0; c < 3; ++c)
        p[c] = noisy ? static_cast<std::uint8_t>(random()) : static_cast<std::uint8_t>(x + y * c);
    }
  }
  return testing::encode_jpeg(samples, width, height, 3, JCS_RGB, 90);
}

void write_file(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

struct Decoded {
  Cost cost;
  std::uint32_t width = 0;
  std::uint32_t full_width = 0;
};

// One page decoding as the reader's page job does it; the pixels go back to the pool at the end.
Decoded decode_once(const Bytes& file) {
  const Cost before = own_cost();
  auto image = decode_image(file, page_limits(DRAWN_WIDTH));
  if (!image) {
    std::fprintf(stderr, "decoding failed: %s\n", image.error().c_str());
    std::exit(2);
  }
  const std::uint32_t width = image->width;
  const std::uint32_t full_width = image->own_width();
  SharedImage shared = pixel_pool::share(std::move(*image));
  shared.reset();
  return {own_cost() - before, width, full_width};
}

Cost run_djpeg(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "djpeg", nullptr, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "djpeg could not be started (install libjpeg-turbo-progs)\n");
    std::exit(2);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "djpeg failed\n");
    std::exit(2);
  }
  return cost_of(usage);
}

// The cheapest of `runs` runs of `measure`.
template <typename Measure>
Cost best_of(int runs, Measure measure) {
  Cost best = measure();
  for (int run = 1; run < runs; ++run) {
    const Cost cost = measure();
    if (cost.cpu_ms < best.cpu_ms) best = cost;
  }
  return best;
}

// djpeg's scale for the reader's decoded width: libjpeg scales by n/8, rounding up.
std::string djpeg_scale(const Decoded& decoded) {
  for (unsigned n = 1; n < 8; ++n) {
    if ((decoded.full_width * n + 7) / 8 == decoded.width) return std::to_string(n) + "/8";
  }
  return "8/8";
}

struct Sample {
  const char* name;
  int width;
  int height;
};

}  // namespace

int main(int argc, char** argv) {
  return_large_blocks_to_the_system();  // as the program does
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  char folder_template[] = "/tmp/jpeg-vs-djpeg-XXXXXX";
  if (mkdtemp(folder_template) == nullptr) return 2;
  const std::filesystem::path folder = folder_template;

  const Bytes tiny = page_file(16, 16);
  write_file(folder / "tiny.jpg", tiny);
  const Cost startup = best_of(runs, [&] {
    return run_djpeg({"djpeg", "-outfile", "/dev/null", folder / "tiny.jpg"});
  });
  std::printf("CPU ms (user + system), best of %d; faults: minor page faults of that run\n", runs);
  std::printf("djpeg start-up (16 x 16 file): %.1f ms\n\n", startup.cpu_ms);
  std::printf("%-36s %7s %7s %7s %7s %7s %7s %8s %6s\n", "file", "first", "faults", "reader",
              "faults", "djpeg", "faults", "djpeg-su", "ratio");

  const Sample samples[] = {{"720 x 6000 strip", 720, 6000},
                            {"720 x 20000 strip", 720, 20000},
                            {"1600 x 2400 page", 1600, 2400},
                            {"1600 x 40000 strip (drawn 720 wide)", 1600, 40000}};
  bool slower = false;
  for (const Sample& sample : samples) {
    const Bytes file = page_file(sample.width, sample.height);
    const std::filesystem::path path = folder / "page.jpg";
    write_file(path, file);
    // The first decoding of a size maps its pixels; the reader's later pages reuse them.
    pixel_pool::clear();
    const Decoded first = decode_once(file);
    const Cost reader = best_of(runs, [&] { return decode_once(file).cost; });
    const Cost djpeg = best_of(runs, [&] {
      return run_djpeg({"djpeg", "-scale", djpeg_scale(first), "-outfile", "/dev/null", path});
    });
    const double djpeg_decoding = djpeg.cpu_ms - startup.cpu_ms;
    const double ratio = reader.cpu_ms / std::max(djpeg_decoding, 0.001);
    slower = slower || ratio > 1.0;
    std::printf("%-36s %7.1f %7ld %7.1f %7ld %7.1f %7ld %8.1f %5.2fx%s\n", sample.name,
                first.cost.cpu_ms, first.cost.faults, reader.cpu_ms, reader.faults, djpeg.cpu_ms,
                djpeg.faults, djpeg_decoding, ratio, ratio > 1.0 ? "  SLOWER" : "");
  }
  std::filesystem::remove_all(folder);
  std::printf(
      "\nfirst: the reader's first decoding of that size (fresh memory); reader: later ones;"
      "\ndjpeg-su: djpeg less its start-up; ratio: reader / djpeg-su\n");
  return slower ? 1 : 0;
}
