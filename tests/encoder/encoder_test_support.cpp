#include "encoder/encoder_test_support.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <optional>
#include <stdexcept>

#include "common/command_line.h"

#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace voxtrel::test {
namespace {

int ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<int>(getpid());
#endif
}

void PutLe(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutChunk(Bytes& out, std::string_view id, const Bytes& body) {
  out.insert(out.end(), id.begin(), id.end());
  PutLe(out, static_cast<std::uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2) out.push_back(0);
}

unsigned Be(std::span<const std::uint8_t> bytes, std::size_t at, int count) {
  unsigned value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

unsigned Syncsafe(std::span<const std::uint8_t> bytes, std::size_t at) {
  unsigned value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 7 | (bytes[at + i] & 0x7F);
  return value;
}

std::string Trimmed(std::span<const std::uint8_t> text, std::string_view drop) {
  std::string result(text.begin(), text.end());
  result.erase(result.find_last_not_of(drop) + 1);
  return result;
}

std::size_t ReadId3v2(std::span<const std::uint8_t> bytes, Mp3Info& info) {
  if (bytes.size() < 10 || Be(bytes, 0, 3) != 0x494433) return 0;  // "ID3"
  info.has_id3v2 = true;
  const int major = bytes[3];
  const std::size_t end = std::min<std::size_t>(bytes.size(), 10 + Syncsafe(bytes, 6));
  for (std::size_t at = 10; at + 10 <= end;) {
    if (bytes[at] == 0) break;
    const std::size_t size = major == 4 ? Syncsafe(bytes, at + 4) : Be(bytes, at + 4, 4);
    if (at + 10 + size > end) break;
    // TIT2, as LAME writes a Latin-1 title: an encoding byte of 0, then the text.
    if (Be(bytes, at, 4) == 0x54495432 && size > 0) {
      info.id3v2_title = Trimmed(bytes.subspan(at + 11, size - 1), std::string_view("\0", 1));
    }
    at += 10 + size;
  }
  return end;
}

struct FrameHeader {
  Mp3Frame frame;
  std::size_t size = 0;
  std::size_t side_info = 0;
};

std::optional<FrameHeader> ParseFrameHeader(std::span<const std::uint8_t> b) {
  if (b.size() < 4 || b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
  const int version = b[1] >> 3 & 3;  // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
  const int layer = b[1] >> 1 & 3;
  const int bitrate_index = b[2] >> 4;
  const int rate_index = b[2] >> 2 & 3;
  if (version == 1 || layer != 1 || bitrate_index == 0 || bitrate_index == 15 || rate_index == 3) {
    return std::nullopt;
  }
  constexpr std::array<int, 15> kMpeg1Kbps = {0,   32,  40,  48,  56,  64,  80, 96,
                                              112, 128, 160, 192, 224, 256, 320};
  constexpr std::array<int, 15> kMpeg2Kbps = {0,  8,  16, 24,  32,  40,  48, 56,
                                              64, 80, 96, 112, 128, 144, 160};
  constexpr std::array<int, 3> kMpeg1Rates = {44100, 48000, 32000};
  const bool mpeg1 = version == 3;
  FrameHeader header;
  header.frame.sample_rate = kMpeg1Rates[rate_index] / (mpeg1 ? 1 : version == 2 ? 2 : 4);
  header.frame.mono = (b[3] >> 6) == 3;
  header.frame.crc_present = (b[1] & 1) == 0;
  header.frame.original = (b[3] >> 2 & 1) != 0;
  const int kbps = (mpeg1 ? kMpeg1Kbps : kMpeg2Kbps)[bitrate_index];
  header.size = static_cast<std::size_t>(
      (mpeg1 ? 144000 : 72000) * kbps / header.frame.sample_rate + (b[2] >> 1 & 1));
  header.side_info = header.frame.mono ? (mpeg1 ? 17 : 9) : (mpeg1 ? 32 : 17);
  return header;
}

// CRC-16 of an MPEG audio frame: polynomial 0x8005 over the header's last two bytes and
// the side information.
bool CrcMatches(std::span<const std::uint8_t> frame, std::size_t side_info) {
  if (frame.size() < 6 + side_info) return false;
  unsigned crc = 0xFFFF;
  const auto feed = [&crc](std::uint8_t byte) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool flip = ((crc >> 15) ^ (byte >> bit)) & 1;
      crc = (crc << 1) & 0xFFFF;
      if (flip) crc ^= 0x8005;
    }
  };
  feed(frame[2]);
  feed(frame[3]);
  for (std::size_t i = 0; i < side_info; ++i) feed(frame[6 + i]);
  return crc == Be(frame, 4, 2);
}

const std::string& Wav2Mp3Path() {
  static const std::string path = HostPath(VOXTREL_WAV2MP3);
  return path;
}

#ifdef _WIN32
RunResult RunCommandLine(const std::string& arguments) {
  // The C runtime joins program and argument with one blank and does no quoting of its own:
  // the child sees exactly the command line the add-in would build.
  const std::string program = QuoteArgument(Wav2Mp3Path());
  const char* const argv[] = {program.c_str(), arguments.c_str(), nullptr};
  std::fflush(nullptr);
  RunResult result;
  result.exit_code = static_cast<int>(_spawnv(_P_WAIT, Wav2Mp3Path().c_str(), argv));
  return result;
}
#else
std::string ShellQuote(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

RunResult RunCommandLine(const std::string& arguments) {
  const TempDir capture;
  std::string command = ShellQuote(Wav2Mp3Path());
  for (const auto& arg : ParseWindowsArguments(arguments)) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(capture.Str("out")) + " 2>" + ShellQuote(capture.Str("err"));
  const int status = std::system(command.c_str());
  RunResult result;
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.captured = true;
  const Bytes out = ReadFile(capture / "out");
  const Bytes err = ReadFile(capture / "err");
  result.out.assign(out.begin(), out.end());
  result.err.assign(err.begin(), err.end());
  return result;
}
#endif

}  // namespace

Bytes MakeWav(const WavSpec& layout, std::size_t frames, const SampleFn& sample) {
  const int block = layout.channels * layout.bits / 8;
  Bytes format;
  PutLe(format, layout.extensible ? 0xFFFE : 1, 2);
  PutLe(format, static_cast<std::uint32_t>(layout.channels), 2);
  PutLe(format, static_cast<std::uint32_t>(layout.rate), 4);
  PutLe(format, static_cast<std::uint32_t>(layout.rate * block), 4);
  PutLe(format, static_cast<std::uint32_t>(block), 2);
  PutLe(format, static_cast<std::uint32_t>(layout.bits), 2);
  if (layout.extensible) {
    PutLe(format, 22, 2);
    PutLe(format, static_cast<std::uint32_t>(layout.bits), 2);
    PutLe(format, layout.channels == 1 ? 4 : 3, 4);
    format.insert(format.end(), {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00,
                                 0xAA, 0x00, 0x38, 0x9B, 0x71});
  }
  Bytes data;
  for (std::size_t frame = 0; frame < frames; ++frame) {
    for (int channel = 0; channel < layout.channels; ++channel) {
      const int value = sample(frame, channel);
      if (layout.bits == 8) {
        data.push_back(static_cast<std::uint8_t>((value >> 8) + 128));
      } else {
        PutLe(data, static_cast<std::uint16_t>(value), 2);
      }
    }
  }
  Bytes wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  if (layout.extra_chunks) PutChunk(wav, "LIST", {'I', 'N', 'F', 'O', 'x'});
  PutChunk(wav, "fmt ", format);
  if (layout.extra_chunks) PutChunk(wav, "fact", {1, 2, 3, 4});
  PutChunk(wav, "data", data);
  SetField(wav, 4, static_cast<std::uint32_t>(wav.size() - 8), 4);
  return wav;
}

Bytes SineWav(const WavSpec& layout, double seconds) {
  const auto tone = [&layout](std::size_t frame, double hz) {
    return kSineAmplitude *
           std::sin(2 * std::numbers::pi * hz * static_cast<double>(frame) / layout.rate);
  };
  return MakeWav(
      layout, static_cast<std::size_t>(seconds * layout.rate), [&](std::size_t frame, int channel) {
        const double side = layout.channels == 2 ? tone(frame, kSideHz) : 0;
        return static_cast<int>(std::lround(tone(frame, kSineHz) + (channel == 0 ? side : -side)));
      });
}

void SetField(Bytes& bytes, std::size_t offset, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) {
    bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

TempDir::TempDir() {
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "-" + test->name();
  std::replace(name.begin(), name.end(), '/', '-');
  path_ = std::filesystem::temp_directory_path() /
          ("voxtrel-encoder-" + std::to_string(ProcessId()) + "-" + name);
  // Nested TempDirs of one test (a capture inside a run) get their own folder.
  for (int i = 2; std::filesystem::exists(path_); ++i) path_ += "-" + std::to_string(i);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

Mp3Info InspectMp3(std::span<const std::uint8_t> bytes) {
  Mp3Info info;
  const std::size_t begin = ReadId3v2(bytes, info);
  std::size_t end = bytes.size();
  if (end >= begin + 128 && Be(bytes, end - 128, 3) == 0x544147) {  // "TAG"
    info.has_id3v1 = true;
    info.id3v1_title = Trimmed(bytes.subspan(end - 125, 30), std::string_view(" \0", 2));
    end -= 128;
  }
  info.audio = bytes.subspan(begin, end - begin);
  std::size_t at = 0;
  while (at < info.audio.size()) {
    const auto header = ParseFrameHeader(info.audio.subspan(at));
    if (!header || at + header->size > info.audio.size()) break;
    Mp3Frame frame = header->frame;
    frame.crc_valid = frame.crc_present && CrcMatches(info.audio.subspan(at), header->side_info);
    info.frames.push_back(frame);
    at += header->size;
  }
  info.frames_fill_audio = at == info.audio.size();
  return info;
}

std::span<const std::int16_t> DecodedMp3::Signal() const {
  // hip adds the decoder's delay of 529 samples to the encoder's; without an info frame the
  // encoder's is LAME's usual 576 and the padding is unknown.
  constexpr int kDecoderDelay = 529;
  const auto skip = static_cast<std::size_t>(std::max(encoder_delay, 576) + kDecoderDelay);
  const auto cut = static_cast<std::size_t>(std::max(padding - kDecoderDelay, 0));
  if (skip + cut >= samples.size()) return {};
  return std::span(samples).subspan(skip, samples.size() - skip - cut);
}

DecodedMp3 DecodeMp3(std::span<const std::uint8_t> audio) {
  struct HipCloser {
    void operator()(hip_global_flags* hip) const { hip_decode_exit(hip); }
  };
  const std::unique_ptr<hip_global_flags, HipCloser> hip(hip_decode_init());
  Bytes input(audio.begin(), audio.end());
  std::array<short, 4608> left{};
  std::array<short, 4608> right{};
  mp3data_struct header{};
  DecodedMp3 decoded;
  // Fed in small pieces: after the info frame hip asks for more input before going on. One
  // last empty piece gets the last frame out.
  constexpr std::size_t kPiece = 512;
  for (std::size_t at = 0, piece = 1; piece > 0;) {
    piece = std::min(kPiece, input.size() - at);
    int samples =
        hip_decode1_headersB(hip.get(), input.data() + at, piece, left.data(), right.data(),
                             &header, &decoded.encoder_delay, &decoded.padding);
    at += piece;
    while (samples > 0) {
      decoded.samples.insert(decoded.samples.end(), left.begin(), left.begin() + samples);
      samples = hip_decode1_headersB(hip.get(), input.data(), 0, left.data(), right.data(), &header,
                                     &decoded.encoder_delay, &decoded.padding);
    }
    if (samples < 0) throw std::runtime_error("undecodable MP3 data");
    if (header.header_parsed) {
      decoded.sample_rate = header.samplerate;
      decoded.channels = header.stereo;
    }
  }
  return decoded;
}

double ToneAmplitude(std::span<const std::int16_t> samples, int rate, double hz) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / rate);
  double previous = 0;
  double before = 0;
  for (const std::int16_t sample : samples) {
    const double current = sample + coefficient * previous - before;
    before = previous;
    previous = current;
  }
  const double power = previous * previous + before * before - coefficient * previous * before;
  return 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(samples.size());
}

double ZeroCrossingHz(std::span<const std::int16_t> samples, int rate) {
  int crossings = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    crossings += (samples[i - 1] < 0) != (samples[i] < 0);
  }
  return crossings / 2.0 * rate / static_cast<double>(samples.size());
}

double Rms(std::span<const std::int16_t> samples) {
  double sum = 0;
  for (const std::int16_t sample : samples) sum += static_cast<double>(sample) * sample;
  return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

std::vector<std::string> ParseWindowsArguments(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const auto blank = [&] { return line[i] == ' ' || line[i] == '\t'; };
  while (true) {
    while (i < line.size() && blank()) ++i;
    if (i == line.size()) return args;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank())) {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2) {
          arg += '"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';  // "" inside quotes: a literal quote (the C runtime since 2008)
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(backslashes, '\\');
        if (i < line.size() && (quoted || !blank())) arg += line[i++];
      }
    }
    args.push_back(std::move(arg));
  }
}

RunResult RunWav2Mp3Line(const std::string& arguments) {
  return RunCommandLine(arguments);
}

RunResult RunWav2Mp3(const std::vector<std::string>& args) {
  std::string line;
  for (const auto& arg : args) line += (line.empty() ? "" : " ") + QuoteArgument(arg);
  return RunCommandLine(line);
}

std::string HostPath(const char* path) {
  std::string result = path;
#ifdef _WIN32
  // Wine shows the host's root as drive Z:.
  if (result.starts_with('/')) {
    std::replace(result.begin(), result.end(), '/', '\\');
    result = "Z:" + result;
  }
#endif
  return result;
}

}  // namespace voxtrel::test
