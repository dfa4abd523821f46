#include "options.h"

#include <array>
#include <charconv>
#include <utility>

namespace voxtrel::wav2mp3 {
namespace {

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

bool AllDigits(std::string_view text) {
  return text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

int ParseMpegRate(std::string_view text) {
  const auto dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
  unsigned long value = 0;
  const auto [end, error] = std::from_chars(whole.data(), whole.data() + whole.size(), value);
  if (error != std::errc{} || end != whole.data() + whole.size() || !AllDigits(fraction)) return 0;
  // As LAME does: a value of 1000 or more is in Hz, then only whole kHz count.
  const unsigned long khz = value >= 1000 ? value / 1000 : value;
  constexpr std::array<std::pair<unsigned long, int>, 9> kRates = {{{8, 8000},
                                                                    {11, 11025},
                                                                    {12, 12000},
                                                                    {16, 16000},
                                                                    {22, 22050},
                                                                    {24, 24000},
                                                                    {32, 32000},
                                                                    {44, 44100},
                                                                    {48, 48000}}};
  for (const auto& [key, rate] : kRates) {
    if (key == khz) return rate;
  }
  return 0;
}

Options ParseOptions(std::span<const std::string_view> args) {
  Options options;
  int positionals = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const auto value = [&] {
      if (i + 1 >= args.size()) throw UsageError("option " + std::string(arg) + " needs a value");
      return args[++i];
    };
    if (arg == "-s") {
      const std::string_view text = value();
      options.output_rate = ParseMpegRate(text);
      if (options.output_rate == 0) throw UsageError("bad sample rate " + Quoted(text));
    } else if (arg == "-m") {
      const std::string_view mode = value();
      if (mode != "m") throw UsageError("mode " + Quoted(mode) + " is not supported, only -m m");
    } else if (arg == "--tt") {
      options.title = value();
    } else if (arg == "-a") {
      // The output is always mono, so there is always a downmix.
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "-p") {
      options.crc = true;
    } else if (arg == "-o") {
      options.copy = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg.size() > 1 && arg.front() == '-') {
      throw UsageError("unknown option " + Quoted(arg));
    } else if (positionals++ == 0) {
      options.input = arg;
    } else if (positionals == 2) {
      options.output = arg;
    } else {
      throw UsageError("unexpected argument " + Quoted(arg));
    }
  }
  if (!options.help && positionals < 2) {
    throw UsageError(positionals == 0 ? "missing input and output files" : "missing output file");
  }
  return options;
}

}  // namespace voxtrel::wav2mp3
